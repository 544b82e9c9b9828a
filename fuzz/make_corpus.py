#!/usr/bin/env python3
"""Makes the kept seed corpora of the fuzz targets (fuzz/corpus/), with kivtool.

    fuzz/make_corpus.py [KIVTOOL]     default: build/linux/tools/kivtool/kivtool

kivlist seeds are "URL\\n" + list-file bytes: lists compiled from readable lists, with URLs
that reach their hosts' records, paths, queries and fragments, plus truncated and bit-flipped
copies, so that mutations start from records a check actually walks. kivinput seeds are a
format byte ("0" text, "1" JSON lines) + a readable list.
"""
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
KIVTOOL = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/linux/tools/kivtool/kivtool")
CORPUS = os.path.join(ROOT, "fuzz/corpus")

KINDS_LIST = """\
example.test 3 secure=4
www.example.test 8 secure=9
example.test/news 7 prefix
example.test/news/today 12
example.test/find?q=cats 14 prefix
example.test/guide#intro/a 15 prefix
example.test/?home 16
www.example.test/sport 17
www.example.test/s?x=1 18
www.example.test/f#top 19
local.test 6 host-only secure=2 secure-host-only
a.local.test 5
b.example.test - secure=11
192.0.2.7 21
www.test 22
"""

KINDS_JSONL = """\
{"name": "example.test", "category": 3, "secure": 4}
{"name": "www.example.test", "category": 8}
{"name": "example.test/news", "category": 7, "prefix": true}
{"name": "local.test", "category": 6, "hostOnly": true}
"""

KINDS_URLS = [
    "http://www.example.test/news/today?x=1#top",
    "https://www.example.test/sport/x",
    "http://www.example.test/s?x=1",
    "http://www.example.test/f#top",
    "http://example.test/news/a/b/c",
    "http://example.test/find?q=cats/and/dogs",
    "http://example.test/guide#intro/a/b",
    "http://example.test/?home",
    "https://x.y.b.example.test/",
    "https://a.b.local.test/",
    "http://192.0.2.7/p",
    "http://www.test/",
]

SAMPLE_URLS = [
    "http://poker.casino-royal.test/tables",
    "https://www.social-chat.test/groups/x",
    "http://news-portal.test/adult/x/y",
    "http://news-portal.test/search?q=poker",
    "http://blog-host.test/users/anon#nsfw",
    "https://video-share.test/watch",
    "http://free.games.test/",
]


def compile_list(text, name, folder):
    source = os.path.join(folder, name + ".txt")
    target = os.path.join(folder, name + ".kiv")
    with open(source, "w") as f:
        f.write(text)
    subprocess.run([KIVTOOL, "compile", source, target, "--date", "1700000000"], check=True,
                   stdout=subprocess.DEVNULL)
    with open(target, "rb") as f:
        return f.read()


def flip(data, offset, bit):
    data = bytearray(data)
    data[offset] ^= 1 << bit
    return bytes(data)


def main():
    with open(os.path.join(ROOT, "demo/sample-list.txt")) as f:
        sample_text = f.read()
    kivlist = os.path.join(CORPUS, "kivlist")
    kivinput = os.path.join(CORPUS, "kivinput")
    for folder in (kivlist, kivinput):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)

    def seed(name, url, data):
        with open(os.path.join(kivlist, name), "wb") as f:
            f.write(url.encode() + b"\n" + data)

    with tempfile.TemporaryDirectory() as work:
        sample = compile_list(sample_text, "sample", work)
        kinds = compile_list(KINDS_LIST, "kinds", work)
        many = compile_list("".join("h%d.test %d\nh%d.test/p%d %d prefix\n" % (i, i % 90, i, i, i % 7)
                                    for i in range(60)), "many", work)
        empty = compile_list("# nothing\n", "empty", work)

    for i, url in enumerate(SAMPLE_URLS):
        seed("sample-%d" % i, url, sample)
    for i, url in enumerate(KINDS_URLS):
        seed("kinds-%d" % i, url, kinds)
    seed("many", "http://x.h17.test/p17/q", many)
    seed("empty", "http://a.test/", empty)

    # Damaged copies: cut in the header, the bucket table and the records; bits flipped in the
    # header, a bucket entry, host words, entry words and entry values.
    buckets = int.from_bytes(kinds[20:24], "little")
    area = 32 + 4 * buckets
    for cut in (31, 32, 33, area - 2, area + 5, area + 12, len(kinds) // 2, len(kinds) - 1):
        seed("kinds-cut-%d" % cut, KINDS_URLS[0], kinds[:cut])
    flips = [(4, 1), (20, 3), (33, 7), (area - 1, 0), (area + 11, 7), (area + 11, 6), (area + 13, 7),
             (area + 15, 1), (area + 15, 7), (area + 26, 4), (area + 28, 1)]
    for offset, bit in flips:
        seed("kinds-flip-%d-%d" % (offset, bit), KINDS_URLS[4], flip(kinds, offset, bit))
    seed("sample-flip-count", SAMPLE_URLS[2], flip(sample, 16, 0))

    def text_seed(name, fmt, text):
        with open(os.path.join(kivinput, name), "wb") as f:
            f.write(fmt + text.encode())

    text_seed("sample", b"0", sample_text)
    text_seed("kinds", b"0", KINDS_LIST)
    text_seed("kinds-jsonl", b"1", KINDS_JSONL)
    text_seed("errors", b"0", "a.test 1 hostonly\n")
    text_seed("json-escapes", b"1", '{"name": "\\u0061.test/p\\u00e9", "category": 1}\n')
    print("corpus: %d list seeds, %d input seeds" % (len(os.listdir(kivlist)), len(os.listdir(kivinput))))


main()
