// Dictionary::check: parsing, host keys, path search, host values and the parent walk.
#include <gtest/gtest.h>

#include <cstring>

#include "Dictionary.h"
#include "test_lists.h"
#include "test_platform.h"

namespace kiv {
namespace {

using CXX::testing::TempFile;
using namespace testing;

class UrlCheck : public ::testing::Test {
 protected:
  void load(const std::vector<TestDomain>& domains) {
    std::string path = (folder_.path().parent_path() / "list.kiv").string();
    writeList(path, domains);
    dictionary_.reset(Dictionary::create(path.c_str()));
  }
  CheckResult check(const std::string& url) const { return dictionary_->check(url.data(), url.size()); }

  TempFile folder_{""};
  CXX::Ref<Dictionary> dictionary_;
};

TEST_F(UrlCheck, WorkedExampleWalksUpToAPrefixEntry) {
  load({{"example.test", category(3), {}, {}, {}, {{"news", entryValue("news", 7, true)}}}});
  EXPECT_EQ(check("http://www.example.test/news/today?x=1"), matchOf(7));
  EXPECT_EQ(check("http://example.test/news"), matchOf(7));
  EXPECT_EQ(check("http://example.test/sport"), matchOf(3));
  EXPECT_EQ(check("http://example.test/"), matchOf(3));
}

TEST_F(UrlCheck, UnparsableOrHostlessUrlsAreInvalid) {
  load({{"example.test", category(3), {}, {}, {}, {}}});
  for (const char* url : {"mailto:someone", "example.test/path", "http://exa mple.test/", "http://b\xC3\xA4r.test/",
                          "http://[::1", "", "http:///path"}) {
    SCOPED_TRACE(url);
    EXPECT_EQ(check(url), kInvalidUrl);
  }
  // Only the given length counts: the rest of the buffer is not part of the URL.
  const char* text = "http://example.test/ and more";
  EXPECT_EQ(dictionary_->check(text, 20), matchOf(3));
}

TEST_F(UrlCheck, HostsAreNormalisedThenStrippedOfWwwWhereSafe) {
  load({{"example.test", category(3), {}, {}, {}, {}}, {"www.test", category(4), {}, {}, {}, {}}});
  EXPECT_EQ(check("HTTP://WWW.EXAMPLE.TEST/"), matchOf(3));
  EXPECT_EQ(check("http://EXAMPLE.TEST"), matchOf(3));
  EXPECT_EQ(check("http://www.test/"), matchOf(4));
  EXPECT_EQ(check("http://%65xample.test/"), matchOf(3));
  EXPECT_EQ(check("http://www.www.test/"), matchOf(4));  // stripped to www.test
}

TEST_F(UrlCheck, SecureUrlsUseSecureWordsAndFallBackToPlain) {
  load({{"plain.test", category(3), {}, {}, {}, {}},
        {"both.test", category(3), category(9), {}, {}, {}},
        {"127.0.0.1", category(3), {}, {}, {}, {}}});
  EXPECT_EQ(check("https://plain.test/"), matchOf(3));  // fallback
  EXPECT_EQ(check("https://both.test/"), matchOf(9));
  EXPECT_EQ(check("http://both.test/"), matchOf(3));
  EXPECT_EQ(check("HTTPS://both.test/"), matchOf(3));  // not secure as written
  EXPECT_EQ(check("http://127.0.0.1/"), matchOf(3));
  EXPECT_EQ(check("https://127.0.0.1/"), kNoMatch);  // no fallback for IP literals
}

TEST_F(UrlCheck, WwwTableAnswersForTheStrippedHostOnly) {
  load({{"site.test", category(3), {}, category(8), {}, {{"w", entryValue("w", 6, false, true)}}}});
  EXPECT_EQ(check("http://www.site.test/"), matchOf(8));
  EXPECT_EQ(check("http://www.site.test/w"), matchOf(6));
  EXPECT_EQ(check("http://site.test/"), matchOf(3));
  EXPECT_EQ(check("http://site.test/w"), matchOf(3));
}

TEST_F(UrlCheck, ParentsPassValuesDownUnlessHostOnly) {
  load({{"example.test", category(5), {}, {}, {}, {}},
        {"only.test", category(6, true), {}, {}, {}, {}},
        {"b.deep.test", category(7), {}, {}, {}, {}},
        {"deep.test", category(8), {}, {}, {}, {}},
        {"test", category(9), {}, {}, {}, {}}});
  EXPECT_EQ(check("http://a.example.test/"), matchOf(5));
  EXPECT_EQ(check("http://x.y.example.test/"), matchOf(5));
  EXPECT_EQ(check("http://a.only.test/"), kNoMatch);  // and "test" alone is never looked up
  EXPECT_EQ(check("http://only.test/"), matchOf(6));  // host-only still applies to the host
  EXPECT_EQ(check("http://a.b.deep.test/"), matchOf(7));  // longest parent first
  EXPECT_EQ(check("http://c.deep.test/"), matchOf(8));
  EXPECT_EQ(check("http://unknown.test/"), kNoMatch);
}

TEST_F(UrlCheck, SecureParentWalkKeepsThePlainFallback) {
  load({{"example.test", category(5), category(0x3FFF), {}, {}, {}},
        {"sec.test", category(5), category(6), {}, {}, {}}});
  EXPECT_EQ(check("https://a.example.test/"), matchOf(5));
  EXPECT_EQ(check("https://a.sec.test/"), matchOf(6));
}

TEST_F(UrlCheck, WalkUpsNeverTryOneBytePrefixesOrCutBeforeTheSeparator) {
  load({{"example.test", category(0x3FFF), {}, {}, {}, {
            {"a", entryValue("a", 1, true)},
            {"ab", entryValue("ab", 2, true)},
            {"p?q", entryValue("p?q", 3, true)},
            {"f#top", entryValue("f#top", 4, true)},
            {"exact", entryValue("exact", 5)},
        }}});
  EXPECT_EQ(check("http://example.test/a"), matchOf(1));
  EXPECT_EQ(check("http://example.test/a/b"), kNoMatch);
  EXPECT_EQ(check("http://example.test/ab/c"), matchOf(2));
  EXPECT_EQ(check("http://example.test//ab//c/"), matchOf(2));  // empty segments drop out
  EXPECT_EQ(check("http://example.test/p?q/r"), matchOf(3));
  EXPECT_EQ(check("http://example.test/p?x"), kNoMatch);
  EXPECT_EQ(check("http://example.test/p?q"), matchOf(3));
  EXPECT_EQ(check("http://example.test/f#top/more"), matchOf(4));
  EXPECT_EQ(check("http://example.test/exact"), matchOf(5));
  EXPECT_EQ(check("http://example.test/exact/more"), kNoMatch);
  EXPECT_EQ(check("http://example.test/x/../exact"), matchOf(5));  // dot segments removed
}

TEST_F(UrlCheck, KeysLongerThan255BytesFindNothingButTheHostStillCounts) {
  std::string path254(254, 'x');
  std::string path256(256, 'y');
  load({{"example.test", category(3), {}, {}, {}, {
            {path254, entryValue(path254, 7)},
            {path256, entryValue(path256, 8)},
        }}});
  EXPECT_EQ(check("http://example.test/" + path254), matchOf(7));
  EXPECT_EQ(check("http://example.test/" + path256), matchOf(3));
}

TEST_F(UrlCheck, DamagedRecordFoundDuringACheckRaises) {
  std::string table = u16(0x8000 | 1) + u16(0x3FFF) + u16(1023 | 0x08 << 10) + std::string(14 * 3, '\x01');
  TempFile file(rawList({rawRecord("example.test", table)}, 1));
  CXX::Ref<Dictionary> dictionary(Dictionary::create(file.path().string().c_str()));
  const char* url = "http://example.test/";
  EXPECT_THROW(dictionary->check(url, std::strlen(url)), CXX::SystemError);
}

}  // namespace
}  // namespace kiv
