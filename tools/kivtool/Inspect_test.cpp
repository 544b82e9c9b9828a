// Looking into list files: bucket statistics, the record dump, and damaged files reported
// rather than crashed on.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "CXXRuntime/CXXBase"
#include "Compile.h"
#include "Inspect.h"
#include "ListSource.h"
#include "Sha1Key.h"
#include "test_platform.h"

namespace kivtool {
namespace {

namespace fs = std::filesystem;

class InspectTest : public ::testing::Test {
 protected:
  fs::path path(const char* name) const { return folder_.path().parent_path() / name; }

  CXX::Ref<kiv::Dictionary> compile(const std::string& lines, double date = 0) {
    std::istringstream in(lines);
    compileList(parseText(in, "in.txt"), path("list.kiv").string(), kiv::format::kBlackList, date);
    return open();
  }
  CXX::Ref<kiv::Dictionary> open() { return CXX::Ref<kiv::Dictionary>(kiv::Dictionary::create(path("list.kiv").string().c_str())); }

  std::string bytes() {
    std::ifstream in(path("list.kiv"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void rewrite(const std::string& contents) { std::ofstream(path("list.kiv"), std::ios::binary | std::ios::trunc) << contents; }

  CXX::testing::TempFile folder_{""};
};

std::string keyHex(const std::string& name) {
  kiv::Key key = kiv::keyOf(name.data(), name.size());
  return hexOf(key.bytes, kiv::kKeySize);
}

TEST_F(InspectTest, InfoCountsBucketsAndWalks) {
  std::string lines;
  for (int i = 0; i < 500; ++i) lines += "h" + std::to_string(i) + ".test 1\n";
  CXX::Ref<kiv::Dictionary> list = compile(lines, 1700000000);
  ListInfo info = inspectList(*list);
  EXPECT_EQ(info.domainCount, 500u);
  EXPECT_EQ(info.bucketCount, 526u);  // 500 / 0.95
  EXPECT_EQ(info.recordsFound, 500u);
  EXPECT_EQ(info.fileSize, fs::file_size(path("list.kiv")));
  EXPECT_EQ(info.damage, "");

  // The same figures counted independently from the bucket table and the keys.
  std::vector<uint32_t> perBucket(info.bucketCount);
  for (int i = 0; i < 500; ++i) {
    std::string host = "h" + std::to_string(i) + ".test";
    ++perBucket[kiv::format::bucketOf(kiv::keyOf(host.data(), host.size()).bytes, info.bucketCount)];
  }
  uint32_t empty = 0, longest = 0;
  for (uint32_t n : perBucket) {
    empty += n == 0;
    longest = std::max(longest, n);
  }
  EXPECT_EQ(info.emptyBuckets, empty);
  EXPECT_EQ(info.longestWalk, longest);
  EXPECT_GT(longest, 1u);

  std::ostringstream out;
  printInfo(out, info);
  EXPECT_NE(out.str().find("type          black\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("date          1700000000 (2023-11-14 22:13:20 UTC)\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("longest walk " + std::to_string(longest) + " records"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("integrity     ok"), std::string::npos) << out.str();
}

TEST_F(InspectTest, DumpShowsKeysWordsAndEntries) {
  CXX::Ref<kiv::Dictionary> list = compile(
      "example.test 3 secure=4 host-only\n"
      "www.example.test 8\n"
      "example.test/news 7 prefix\n"
      "www.example.test/s?q 9\n"
      "bare.test 5\n");
  std::ostringstream out;
  EXPECT_TRUE(dumpList(out, *list));
  std::string dump = out.str();
  EXPECT_NE(dump.find("key " + keyHex("example.test")), std::string::npos) << dump;
  EXPECT_NE(dump.find("key " + keyHex("bare.test")), std::string::npos) << dump;
  EXPECT_NE(dump.find("  main: plain 3 host-only, secure 4, www table follows, 1 entries, kinds prefix-path\n"),
            std::string::npos) << dump;
  EXPECT_NE(dump.find("    " + keyHex("news") + "  7 path prefix\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("  www: plain 8, secure none, 1 entries, kinds query\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("    " + keyHex("s?q") + "  9 query www\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("  main: plain 5\n"), std::string::npos) << dump;
}

TEST_F(InspectTest, DamagedRecordAreaIsReportedNotCrashedOn) {
  std::string lines;
  for (int i = 0; i < 40; ++i) lines += "h" + std::to_string(i) + ".test/p 1\n";
  compile(lines);
  std::string good = bytes();

  // Cut in the middle of the last record: the header still opens.
  rewrite(good.substr(0, good.size() - 5));
  CXX::Ref<kiv::Dictionary> cut = open();
  ListInfo info = inspectList(*cut);
  EXPECT_NE(info.damage.find("Unexpected end of file (record 39"), std::string::npos) << info.damage;
  std::ostringstream out;
  EXPECT_FALSE(dumpList(out, *cut));
  EXPECT_NE(out.str().find("damaged at record 39"), std::string::npos) << out.str();

  // A record too many for the header's count is reported by both.
  std::string extra = good;
  extra[16] = static_cast<char>(39);
  rewrite(extra);
  CXX::Ref<kiv::Dictionary> miscounted = open();
  EXPECT_EQ(inspectList(*miscounted).damage, "corrupted dictionary ?");
  std::ostringstream dump;
  EXPECT_FALSE(dumpList(dump, *miscounted));
  EXPECT_NE(dump.str().find("the header counts 39 domains, the record area holds 40"), std::string::npos);

  // A bucket table pointing elsewhere is found by the verification.
  std::string moved = good;
  for (size_t at = 32; at < 32 + 4 * 42; at += 4)
    if (moved.compare(at, 4, "\xFF\xFF\xFF\xFF") != 0 && moved[at] != 0) {
      moved[at] = static_cast<char>(moved[at] + 1);
      break;
    }
  rewrite(moved);
  EXPECT_EQ(inspectList(*open()).damage, "corrupted dictionary ?");
}

TEST(Describe, ResultsTypesAndDates) {
  EXPECT_EQ(describeResult(kiv::matchOf(0)), "category 0");
  EXPECT_EQ(describeResult(kiv::matchOf(16382)), "category 16382");
  EXPECT_EQ(describeResult(kiv::kNoMatch), "no category");
  EXPECT_EQ(describeResult(kiv::kInvalidUrl), "invalid URL");
  EXPECT_EQ(describeResult(kiv::kNoListLoaded), "no list loaded");
  EXPECT_EQ(describeResult(0xC001), "unexpected result 0xc001");
  EXPECT_EQ(listTypeName(2), "white");
  EXPECT_EQ(listTypeName(7), "unknown (7)");
  EXPECT_EQ(describeDate(0), "0 (1970-01-01 00:00:00 UTC)");
  EXPECT_EQ(describeDate(1.5), "1.5 (1970-01-01 00:00:01 UTC)");
  EXPECT_EQ(describeDate(-1), "-1 (1969-12-31 23:59:59 UTC)");
  EXPECT_EQ(describeDate(1e300).find("1e+300"), 0u);
}

}  // namespace
}  // namespace kivtool
