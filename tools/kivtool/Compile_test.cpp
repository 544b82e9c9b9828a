// Round trips: readable list -> list file -> URL checks. What a line says must be what the
// check answers, for text and JSON-lines input alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "CXXRuntime/CXXBase"
#include "Compile.h"
#include "Dictionary.h"
#include "ListSource.h"
#include "URLList.h"
#include "test_platform.h"

namespace kivtool {
namespace {

namespace fs = std::filesystem;

class CompileTest : public ::testing::Test {
 protected:
  fs::path path(const char* name) const { return folder_.path().parent_path() / name; }

  // Compiles lines (text or JSON lines, by the file name) and opens the result.
  void compile(const std::string& lines, const char* inputName = "list.txt", uint32_t type = 1, double date = 0) {
    fs::path input = path(inputName);
    std::ofstream(input, std::ios::binary) << lines;
    ListSource source = parseFile(input.string(), InputFormat::Automatic);
    result_ = compileList(source, path("list.kiv").string(), type, date);
    list_.reset(kiv::URLList::create(path("list.kiv").string().c_str(), 0));
  }

  kiv::CheckResult check(const std::string& url) { return list_->check(url.data(), url.size()); }

  CXX::testing::TempFile folder_{""};
  CompileResult result_;
  CXX::Ref<kiv::URLList> list_;
};

constexpr kiv::CheckResult match(uint16_t category) { return kiv::matchOf(category); }

const char kSample[] =
    "# hosts\n"
    "example.test        3\n"
    "www.example.test    8  secure=9\n"
    "secure.test         -  secure=4\n"
    "mixed.test          5  secure=6\n"
    "local.test          7  host-only\n"
    "sub.local.test      2\n"
    "192.0.2.7           11\n"
    "# entries\n"
    "example.test/news          12 prefix\n"
    "example.test/news/today    13\n"
    "example.test/find?q=cats   14 prefix\n"
    "example.test/guide#intro   15\n"
    "example.test/?home         16\n"
    "www.example.test/sport     17\n"
    "plain.test/a/b             18\n";

TEST_F(CompileTest, TextListChecksAsWritten) {
  compile(kSample, "list.txt", kiv::format::kWhiteList, 1700000000.25);
  EXPECT_EQ(result_.domains, 7u);  // www.example.test and the entries share their hosts' records
  EXPECT_EQ(result_.entries, 7u);
  EXPECT_EQ(list_->domainCount(), 7u);
  EXPECT_EQ(list_->listType(), kiv::format::kWhiteList);
  EXPECT_DOUBLE_EQ(list_->date(), 1700000000.25);
  EXPECT_EQ(result_.fileSize, fs::file_size(path("list.kiv")));

  // Host values, inherited by subdomains; upper case and a port change nothing.
  EXPECT_EQ(check("http://example.test/"), match(3));
  EXPECT_EQ(check("http://a.b.EXAMPLE.test:8080/x"), match(3));
  EXPECT_EQ(check("https://example.test/"), match(3));  // no secure value: the plain one
  EXPECT_EQ(check("http://other.test/"), kiv::kNoMatch);
  // The www values belong to www.example.test alone.
  EXPECT_EQ(check("http://www.example.test/"), match(8));
  EXPECT_EQ(check("https://www.example.test/"), match(9));
  // Secure-only and mixed values.
  EXPECT_EQ(check("https://secure.test/"), match(4));
  EXPECT_EQ(check("http://secure.test/"), kiv::kNoMatch);
  EXPECT_EQ(check("http://mixed.test/"), match(5));
  EXPECT_EQ(check("https://x.mixed.test/"), match(6));
  // Host-only: the host, not its subdomains, which find their own record instead.
  EXPECT_EQ(check("http://local.test/"), match(7));
  EXPECT_EQ(check("http://x.local.test/"), kiv::kNoMatch);
  EXPECT_EQ(check("http://x.sub.local.test/"), match(2));
  EXPECT_EQ(check("http://192.0.2.7/x"), match(11));

  // Path entries: exact, prefix, query with prefix, fragment, a query on the bare host.
  EXPECT_EQ(check("http://example.test/news/today"), match(13));
  EXPECT_EQ(check("http://example.test/news/today/late"), match(12));
  EXPECT_EQ(check("http://example.test/news"), match(12));
  EXPECT_EQ(check("http://example.test//news/./x/"), match(12));
  EXPECT_EQ(check("http://example.test/newsroom"), match(3));
  EXPECT_EQ(check("http://example.test/find?q=cats"), match(14));
  EXPECT_EQ(check("http://example.test/find?q=cats/more"), match(14));
  EXPECT_EQ(check("http://example.test/find?q=dogs"), match(3));
  EXPECT_EQ(check("http://example.test/guide#intro"), match(15));
  EXPECT_EQ(check("http://example.test/guide#outro"), match(3));
  EXPECT_EQ(check("http://example.test/?home"), match(16));
  // With a www table, www URLs see the www entries, not the main ones.
  EXPECT_EQ(check("http://www.example.test/sport"), match(17));
  EXPECT_EQ(check("http://www.example.test/news"), match(8));
  EXPECT_EQ(check("http://example.test/sport"), match(3));
  // A host known only through its entries has no value of its own.
  EXPECT_EQ(check("http://plain.test/a/b"), match(18));
  EXPECT_EQ(check("http://plain.test/a"), kiv::kNoMatch);

  EXPECT_EQ(check("not a url"), kiv::kInvalidUrl);
}

TEST_F(CompileTest, JsonLinesGiveTheSameList) {
  compile(kSample, "list.txt", 1, 42);
  std::string textBytes;
  {
    std::ifstream in(path("list.kiv"), std::ios::binary);
    textBytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  list_.reset();
  compile(
      "{\"name\": \"example.test\", \"category\": 3}\n"
      "{\"name\": \"www.example.test\", \"category\": 8, \"secure\": 9}\n"
      "{\"name\": \"secure.test\", \"category\": null, \"secure\": 4}\n"
      "{\"name\": \"mixed.test\", \"category\": 5, \"secure\": 6}\n"
      "{\"name\": \"local.test\", \"category\": 7, \"hostOnly\": true}\n"
      "{\"name\": \"sub.local.test\", \"category\": 2}\n"
      "{\"name\": \"192.0.2.7\", \"category\": 11}\n"
      "{\"name\": \"example.test/news\", \"category\": 12, \"prefix\": true}\n"
      "{\"name\": \"example.test/news/today\", \"category\": 13}\n"
      "{\"name\": \"example.test/find?q=cats\", \"category\": 14, \"prefix\": true}\n"
      "{\"name\": \"example.test/guide#intro\", \"category\": 15}\n"
      "{\"name\": \"example.test/?home\", \"category\": 16}\n"
      "{\"name\": \"www.example.test/sport\", \"category\": 17}\n"
      "{\"name\": \"plain.test/a/b\", \"category\": 18}\n",
      "list.jsonl", 1, 42);
  std::ifstream in(path("list.kiv"), std::ios::binary);
  std::string jsonBytes(std::istreambuf_iterator<char>(in), {});
  EXPECT_EQ(jsonBytes, textBytes);
  EXPECT_EQ(check("https://www.example.test/sport"), match(17));
}

TEST_F(CompileTest, FormatIsFoundFromTheFirstItem) {
  compile("# comment first\n\n{\"name\": \"a.test\", \"category\": 1}\n", "list.txt");
  EXPECT_EQ(check("http://a.test/"), match(1));
  compile("a.test 2\n", "list.jsonl-but-text");
  EXPECT_EQ(check("http://a.test/"), match(2));
}

TEST_F(CompileTest, EmptyListIsStillAListFile) {
  compile("# nothing yet\n");
  EXPECT_EQ(result_.domains, 0u);
  CXX::Ref<kiv::Dictionary> dictionary(kiv::Dictionary::create(path("list.kiv").string().c_str()));
  EXPECT_EQ(dictionary->bucketCount(), 1u);
  EXPECT_NO_THROW(dictionary->verify());
  EXPECT_EQ(check("http://a.test/"), kiv::kNoMatch);
}

TEST_F(CompileTest, ManyHostsAllFoundAndVerified) {
  std::ostringstream lines;
  for (int i = 0; i < 3000; ++i) {
    lines << "host" << i << ".test " << i % 100 << "\n";
    if (i % 3 == 0) lines << "host" << i << ".test/p" << i << " " << 200 + i % 50 << " prefix\n";
  }
  compile(lines.str());
  CXX::Ref<kiv::Dictionary> dictionary(kiv::Dictionary::create(path("list.kiv").string().c_str()));
  EXPECT_NO_THROW(dictionary->verify());
  for (int i = 0; i < 3000; ++i) {
    std::string host = "http://host" + std::to_string(i) + ".test/";
    ASSERT_EQ(check(host), match(static_cast<uint16_t>(i % 100))) << host;
    if (i % 3 == 0) {
      ASSERT_EQ(check(host + "p" + std::to_string(i) + "/x"), match(static_cast<uint16_t>(200 + i % 50)));
    }
  }
}

TEST_F(CompileTest, ReplacesTheOutputOnlyWhenComplete) {
  compile("a.test 1\n");
  // A writer failure leaves the previous list and no partial file behind.
  ListSource source("x");
  Item item;
  item.name = "b.test";
  item.plain = 2;
  source.add(item, 1);
  fs::path blocked = path("missing-folder") / "list.kiv";
  EXPECT_THROW(compileList(source, blocked.string(), 1, 0), CXX::SystemError);
  EXPECT_FALSE(fs::exists(blocked.string() + ".part"));

  compileList(source, path("list.kiv").string(), 1, 0);
  EXPECT_FALSE(fs::exists(path("list.kiv.part")));
  list_.reset(kiv::URLList::create(path("list.kiv").string().c_str(), 0));
  EXPECT_EQ(check("http://b.test/"), match(2));
  EXPECT_EQ(check("http://a.test/"), kiv::kNoMatch);
}

}  // namespace
}  // namespace kivtool
