#!/usr/bin/env python3
"""Reference update server for filter lists, for tests and for people who host lists.

Serves POST /update/kiv.php with a body "type=<black|white>&date=<microseconds>" from a
folder laid out per list type:

    <root>/<type>/list.kiv                  the complete current list (its header holds its date)
    <root>/<type>/patches/<from>-<to>.kivp  a patch turning the list dated <from> into <to>

Reply (every line ends with "\\n"):
    "kivp 1,-1" + one body with the complete list   when the posted date is 0, or no chain
                                                    of patches starts at it and the list is newer
    "kivp 1,<n>" + n patch bodies, oldest first    when patches lead on from the posted date
    "kivp 1,0"                                      when the posted date is current
    each body: "patch <to-microseconds>,<size>" then exactly <size> bytes

Test modes, set by POST /control with a JSON object (they stay until changed; {} resets):
    status: int            reply with this HTTP status (the body is still the normal reply)
    reply: str             send these bytes (latin-1) instead of the normal reply
    chunk: int             write the reply in pieces of this many bytes...
    chunk_delay: float     ...sleeping this long between pieces
    close_after: int       close the connection after this many bytes of the reply
    stall: float           send the headers, then wait this long before the body
GET /requests returns the POST bodies received so far as a JSON list.

Start: update_server.py --root DIR [--port 0]; prints "listening on <port>" when ready.
"""

import argparse
import json
import os
import re
import struct
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

MAX_PATCHES = 256


def list_timestamp(path):
    with open(path, "rb") as f:
        header = f.read(16)
    if len(header) < 16 or header[:4] != b"kivf":
        raise ValueError(f"{path}: not a list file")
    return struct.unpack_from("<q", header, 8)[0]


def body_block(timestamp, data):
    return b"patch %d,%d\n" % (timestamp, len(data)) + data


class Catalogue:
    """The lists and patches of one list type."""

    def __init__(self, folder):
        self.folder = folder

    def reply(self, date):
        full = os.path.join(self.folder, "list.kiv")
        patches = self._patches()
        chain = self._chain(patches, date)
        if date != 0 and chain:
            blocks = [body_block(to, self._read(path)) for _, to, path in chain[:MAX_PATCHES]]
            return b"kivp 1,%d\n" % len(blocks) + b"".join(blocks)
        if os.path.exists(full):
            stamp = list_timestamp(full)
            if date == 0 or date < stamp or not self._is_current(date, patches, stamp):
                return b"kivp 1,-1\n" + body_block(stamp, self._read(full))
        return b"kivp 1,0\n"

    def _patches(self):
        folder = os.path.join(self.folder, "patches")
        found = []
        if os.path.isdir(folder):
            for name in os.listdir(folder):
                m = re.fullmatch(r"(\d+)-(\d+)\.kivp", name)
                if m:
                    found.append((int(m.group(1)), int(m.group(2)), os.path.join(folder, name)))
        return sorted(found)

    @staticmethod
    def _chain(patches, date):
        chain, at = [], date
        by_from = {p[0]: p for p in patches}
        while at in by_from and len(chain) < MAX_PATCHES:
            step = by_from[at]
            chain.append(step)
            at = step[1]
        return chain

    @staticmethod
    def _is_current(date, patches, stamp):
        newest = max([stamp] + [to for _, to, _ in patches])
        return date >= newest

    @staticmethod
    def _read(path):
        with open(path, "rb") as f:
            return f.read()


class State:
    def __init__(self, root):
        self.root = root
        self.lock = threading.Lock()
        self.mode = {}
        self.requests = []


class Handler(BaseHTTPRequestHandler):
    server_version = "ListUpdateServer/1"
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):  # keep test output quiet
        pass

    @property
    def state(self):
        return self.server.state

    def _read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def _send(self, status, data, content_type="application/octet-stream"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def do_GET(self):
        if self.path == "/requests":
            with self.state.lock:
                data = json.dumps(self.state.requests).encode()
            return self._send(200, data, "application/json")
        self._send(404, b"not found\n", "text/plain")

    def do_POST(self):
        body = self._read_body()
        if self.path == "/control":
            with self.state.lock:
                self.state.mode = json.loads(body or b"{}")
                self.state.requests = []
            return self._send(200, b"ok\n", "text/plain")
        if self.path != "/update/kiv.php":
            return self._send(404, b"not found\n", "text/plain")
        with self.state.lock:
            self.state.requests.append(body.decode("latin-1"))
            mode = dict(self.state.mode)
        self._answer(body.decode("latin-1"), mode)

    def _answer(self, request, mode):
        if "reply" in mode:
            data = mode["reply"].encode("latin-1")
        else:
            m = re.fullmatch(r"type=(black|white)&date=(\d+)", request)
            if not m:
                return self._send(400, b"bad request\n", "text/plain")
            data = Catalogue(os.path.join(self.state.root, m.group(1))).reply(int(m.group(2)))
        self.send_response(mode.get("status", 200))
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.flush()
        if mode.get("stall"):
            time.sleep(mode["stall"])
        limit = mode.get("close_after", len(data))
        chunk = mode.get("chunk") or len(data) or 1
        sent = 0
        while sent < min(limit, len(data)):
            piece = data[sent:min(sent + chunk, limit)]
            self.wfile.write(piece)
            self.wfile.flush()
            sent += len(piece)
            if mode.get("chunk_delay"):
                time.sleep(mode["chunk_delay"])
        if sent < len(data):
            self.close_connection = True


def main():
    parser = argparse.ArgumentParser(description="Reference update server for filter lists.")
    parser.add_argument("--root", required=True, help="folder with <type>/list.kiv and <type>/patches/")
    parser.add_argument("--port", type=int, default=0, help="port on 127.0.0.1 (0 picks a free one)")
    args = parser.parse_args()
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    server.state = State(args.root)
    print(f"listening on {server.server_address[1]}", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
