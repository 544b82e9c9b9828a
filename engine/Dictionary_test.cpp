// The list reader: header validation, bucket walks and bounds checks on damaged files.
#include <gtest/gtest.h>

#include <algorithm>

#include "Dictionary.h"
#include "Sha1Key.h"
#include "test_lists.h"
#include "test_platform.h"

namespace kiv {
namespace {

using CXX::testing::TempFile;
using namespace testing;

template <class F>
std::string systemErrorOf(F body) {
  try {
    body();
  } catch (const CXX::SystemError& error) {
    return error.what();
  }
  return "(no error)";
}

std::string openError(const std::string& bytes) {
  TempFile file(bytes);
  return systemErrorOf([&] { CXX::Ref<Dictionary> d(Dictionary::create(file.path().string().c_str())); });
}

Key key(const std::string& name) { return keyOf(name.data(), name.size()); }

// Opens bytes as a list for the length of a test.
class OpenList {
 public:
  explicit OpenList(const std::string& bytes) : file_(bytes), dictionary_(Dictionary::create(file_.path().string().c_str())) {}
  Dictionary* operator->() const { return dictionary_.get(); }

 private:
  TempFile file_;
  CXX::Ref<Dictionary> dictionary_;
};

TEST(DictionaryOpen, RejectsShortForeignAndDamagedHeadersInOrder) {
  EXPECT_EQ(openError(std::string(31, 'x')), "invalid kiv file");
  EXPECT_EQ(openError("kivf" + u16(1) + std::string(14, '\0') + u32(0) + std::string(8, '\0')), "invalid kiv file");
  EXPECT_EQ(openError("kivf" + u16(1) + std::string(14, '\0') + u32(1) + std::string(8, '\0')), "invalid kiv file");
  EXPECT_EQ(openError("kivx" + u16(2) + std::string(26, '\0')), "invalid kiv file signature");
  EXPECT_EQ(openError("kivf" + u16(2) + std::string(26, '\0')), "Unsupported kiv file version");
  // 32 + 4N wraps to 32 in 32-bit arithmetic for this N: the table would reach past the file.
  EXPECT_EQ(openError("kivf" + u16(1) + std::string(14, '\0') + u32(0x40000000) + std::string(8, '\0') + u32(0)),
            "invalid kiv file");
}

TEST(DictionaryOpen, SystemFailuresNameTheFailedCall) {
  TempFile folder("");
  std::string missing = (folder.path().parent_path() / "missing.kiv").string();
  EXPECT_EQ(systemErrorOf([&] { Dictionary::create(missing.c_str()); }), "CreateFile: 2");
  EXPECT_EQ(openError("").rfind("CreateFileMapping: ", 0), 0u);
}

TEST(DictionaryOpen, ReadsTheHeaderFields) {
  OpenList list(rawList({rawRecord("example.test", u16(3))}, 3, 2, 1234567890123456, 7));
  EXPECT_EQ(list->listType(), 2u);
  EXPECT_DOUBLE_EQ(list->date(), 1234567890.123456);
  EXPECT_EQ(list->domainCount(), 7u);
  EXPECT_EQ(list->bucketCount(), 3u);
}

TEST(DictionaryFind, FindsRecordsAndDecodesTheirTables) {
  std::string extended = u16(0x8000 | 5) + u16(0x3FFF) + u16(0);
  OpenList list(rawList({rawRecord("none.test", u16(0x3FFF)), rawRecord("five.test", extended),
                         rawRecord("only.test", u16(0x4000 | 9))},
                        2));
  DomainRecord none = list->findName("none.test", 9);
  ASSERT_TRUE(none.found());
  EXPECT_EQ(none.size(), 12u);
  EXPECT_FALSE(HostValue::decode(none.main().plainWord()).hasCategory());

  DomainRecord five = list->findName("five.test", 9);
  ASSERT_TRUE(five.found());
  EXPECT_EQ(HostValue::decode(five.main().plainWord()).category, 5);
  EXPECT_FALSE(HostValue::decode(five.main().secureWord()).hasCategory());
  EXPECT_FALSE(five.hasWwwTable());

  HostValue only = HostValue::decode(list->findName("only.test", 9).main().plainWord());
  EXPECT_TRUE(only.hostOnly);
  EXPECT_EQ(only.category, 9);
  EXPECT_FALSE(list->findName("other.test", 10).found());
}

TEST(DictionaryFind, KeyDifferingOnlyInItsLastBytesIsNotFound) {
  std::string record = rawRecord("example.test", u16(3));
  record[8] = static_cast<char>(record[8] ^ 0x01);
  record[9] = static_cast<char>(record[9] ^ 0x80);
  OpenList list(rawList({record}, 1));
  EXPECT_FALSE(list->find(key("example.test")).found());
}

TEST(DictionaryFind, EmptyBucketFindsNothingWithoutTouchingTheRecords) {
  // One bucket points far past the end; a key of the other, empty, bucket never reads it.
  Key wanted = key("wanted.test");
  uint32_t emptyBucket = format::bucketOf(wanted.bytes, 2);
  std::string table = emptyBucket == 0 ? u32(0xFFFFFFFF) + u32(1000) : u32(1000) + u32(0xFFFFFFFF);
  std::string bytes = "kivf" + u16(1) + std::string(10, '\0') + u32(1) + u32(2) + std::string(8, '\0') + table + "xx";
  OpenList list(bytes);
  EXPECT_FALSE(list->find(wanted).found());
}

TEST(DictionaryFind, DamageIsReportedByTheLookupThatMeetsIt) {
  // A table declaring 1023 entries in a file that ends after 100 of them.
  std::string entries(14 * 100, '\x01');
  std::string truncated = rawRecord("big.test", u16(0x8000 | 1) + u16(0x3FFF) + u16(1023 | 0x08 << 10) + entries);
  OpenList list(rawList({truncated}, 1));
  EXPECT_EQ(systemErrorOf([&] { list->findName("big.test", 8); }), "Unexpected end of file");

  // A bucket offset at the end of the file.
  Key lost = key("lost.test");
  std::string bytes = "kivf" + u16(1) + std::string(10, '\0') + u32(1) + u32(1) + std::string(8, '\0') + u32(12) +
                      rawRecord("x.test", u16(1));
  OpenList pastEnd(bytes);
  EXPECT_EQ(systemErrorOf([&] { pastEnd->find(lost); }), "unexpected end of file");

  // A record cut inside its key.
  OpenList cut(rawList({rawRecord("cut.test", u16(1)).substr(0, 8)}, 1));
  EXPECT_EQ(systemErrorOf([&] { cut->findName("cut.test", 8); }), "Unexpected end of file");
}

TEST(DictionaryFind, WalkStopsAtTheNextBucket) {
  // Two hosts of bucket 0 and one of bucket 1 in a two-bucket list; the second host of
  // bucket 0 is placed after bucket 1's record, where the walk must not reach it.
  std::vector<std::string> bucket0, bucket1;
  for (int i = 0; bucket0.size() < 2 || bucket1.empty(); ++i) {
    std::string host = "h" + std::to_string(i) + ".test";
    (format::bucketOf(key(host).bytes, 2) == 0 ? bucket0 : bucket1).push_back(host);
  }
  std::string bytes = rawList({rawRecord(bucket0[0], u16(1)), rawRecord(bucket1[0], u16(2))}, 2) +
                      rawRecord(bucket0[1], u16(3));
  OpenList list(bytes);
  EXPECT_TRUE(list->findName(bucket0[0].data(), bucket0[0].size()).found());
  EXPECT_TRUE(list->findName(bucket1[0].data(), bucket1[0].size()).found());
  EXPECT_FALSE(list->findName(bucket0[1].data(), bucket0[1].size()).found());
}

TEST(PathTableLookup, HonoursPrefixOnlyAndTheNoCategoryValue) {
  // Entries must be sorted by key.
  std::vector<std::pair<std::string, uint32_t>> entries = {
      {"news", 7 | format::kEntryPrefixBit}, {"exact", 4}, {"hidden", 0x3FFF | format::kEntryPrefixBit}};
  std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return key(a.first) < key(b.first); });
  std::string table = u16(0x8000 | 0x3FFF) + u16(0x3FFF) + u16(3 | (0x01 | 0x08) << 10);
  for (auto& [path, value] : entries) table += keyBytes(path) + u32(value);
  OpenList list(rawList({rawRecord("example.test", table)}, 1));
  PathTable main = list->findName("example.test", 12).main();
  EXPECT_EQ(main.entryCount(), 3);
  EXPECT_EQ(main.kinds(), 0x09);
  EXPECT_EQ(main.lookup("news", 4, true), matchOf(7));
  EXPECT_EQ(main.lookup("exact", 5, false), matchOf(4));
  EXPECT_EQ(main.lookup("exact", 5, true), kNoMatch);
  EXPECT_EQ(main.lookup("hidden", 6, false), kNoMatch);
  EXPECT_EQ(main.lookup("absent", 6, false), kNoMatch);
}

}  // namespace
}  // namespace kiv
