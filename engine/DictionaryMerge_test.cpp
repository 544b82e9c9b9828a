// Dictionary::writeMerged: a list rewritten with one response's changes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Dictionary.h"
#include "Sha1Key.h"
#include "test_lists.h"
#include "test_platform.h"
#include "update/Patch.h"
#include "update/PatchFormat.h"
#include "update/memstreambuf.h"
#include "update/test_patches.h"

namespace kiv {
namespace {

using CXX::testing::TempFile;
using namespace testing;
using namespace patch;

class WriteMerged : public ::testing::Test {
 protected:
  std::string path(const char* name) const { return (folder_.path().parent_path() / name).string(); }

  // Writes the current list, merges the patch files into out.kiv and opens the result.
  CXX::Ref<Dictionary> merge(const std::vector<TestDomain>& current, const std::vector<std::string>& patches) {
    writeList(path("current.kiv"), current, kBlackList, 10.0);
    CXX::Ref<Dictionary> list(Dictionary::create(path("current.kiv").c_str()));
    CXX::Ref<update::Patch> patch(update::Patch::create());
    for (const std::string& bytes : patches) {
      update::memstreambuf buffer(bytes.data(), bytes.size());
      std::istream input(&buffer);
      input.exceptions(std::ios::failbit | std::ios::badbit | std::ios::eofbit);
      patch->read(input);
    }
    std::ofstream(path("out.kiv")).close();
    CXX::platform::FileHandle target = CXX::testing::openFile(path("out.kiv"), true);
    try {
      list->writeMerged(patch.get(), target);
    } catch (...) {
      CXX::testing::closeFile(target);
      throw;
    }
    CXX::testing::closeFile(target);
    return CXX::Ref<Dictionary>(Dictionary::create(path("out.kiv").c_str()));
  }

  static DomainRecord find(const CXX::Ref<Dictionary>& d, const std::string& host) {
    return d->findName(host.data(), host.size());
  }

  TempFile folder_{""};
  static constexpr uint8_t kBlackList = 1;
};

TEST_F(WriteMerged, AddsChangesAndDeletesDomainsAndKeepsTheRest) {
  std::vector<TestDomain> current = {
      {"keep.test", category(1), {}, {}, {}, {{"a", entryValue("a", 2)}}},
      {"change.test", category(3), category(4), {}, {}, {}},
      {"gone.test", category(5), {}, {}, {}, {}},
  };
  CXX::Ref<Dictionary> result = merge(current, {PatchBytes(2, 20000000)
                                                    .domain("change.test").main(kModify, 7)
                                                    .domain("gone.test").main(kDelete)
                                                    .domain("new.test").main(kAdd, 0x8008, 0x4009).path(kAdd, "n", 0x4006)
                                                    .domain("ghost.test").main(kDelete)
                                                    .bytes()});
  EXPECT_EQ(result->domainCount(), 3u);
  EXPECT_EQ(result->listType(), 1u);  // the list keeps its own type
  EXPECT_DOUBLE_EQ(result->date(), 20.0);
  EXPECT_EQ(find(result, "keep.test").main().plainWord() & 0x3FFF, 1);
  EXPECT_EQ(find(result, "keep.test").main().lookup("a", 1, false), matchOf(2));
  DomainRecord changed = find(result, "change.test");
  EXPECT_EQ(changed.main().plainWord() & 0x3FFF, 7);
  EXPECT_FALSE(changed.main().extended());  // the patch gave no secure word
  EXPECT_FALSE(find(result, "gone.test").found());
  EXPECT_FALSE(find(result, "ghost.test").found());
  DomainRecord added = find(result, "new.test");
  EXPECT_EQ(added.main().plainWord() & 0x3FFF, 8);
  EXPECT_EQ(added.main().secureWord() & 0x7FFF, 0x4009);
  EXPECT_EQ(added.main().lookup("n", 1, true), matchOf(6));
}

TEST_F(WriteMerged, PathChangesApplyToTheRecordsEntries) {
  std::vector<TestDomain> current = {{"site.test", category(1), {}, {}, {}, {
      {"keep", entryValue("keep", 2)}, {"modify", entryValue("modify", 3)}, {"drop", entryValue("drop", 4)}}}};
  CXX::Ref<Dictionary> result = merge(current, {PatchBytes(1, 100)
                                                    .domain("site.test")
                                                    .path(kModify, "modify", 9)
                                                    .path(kDelete, "drop")
                                                    .path(kDelete, "never-there")
                                                    .path(kAdd, "fresh", 5)
                                                    .bytes()});
  PathTable main = find(result, "site.test").main();
  EXPECT_EQ(main.entryCount(), 3);
  EXPECT_EQ(main.lookup("keep", 4, false), matchOf(2));
  EXPECT_EQ(main.lookup("modify", 6, false), matchOf(9));
  EXPECT_EQ(main.lookup("drop", 4, false), kNoMatch);
  EXPECT_EQ(main.lookup("fresh", 5, false), matchOf(5));
  EXPECT_EQ(main.plainWord() & 0x3FFF, 1);
}

TEST_F(WriteMerged, WwwWordsAreReplacedDroppedOrKeptAndWwwEntriesSurvive) {
  std::vector<TestDomain> current = {
      {"replace.test", category(1), {}, category(2), {}, {}},
      {"drop.test", category(1), {}, category(2), {}, {}},
      {"keep.test", category(1), {}, category(2), {}, {{"w", entryValue("w", 6, false, true)}}},
  };
  CXX::Ref<Dictionary> result = merge(current, {PatchBytes(1, 100)
                                                    .domain("replace.test").www(kModify, 7)
                                                    .domain("drop.test").www(kDelete)
                                                    .domain("keep.test").main(kModify, 3)
                                                    .bytes()});
  EXPECT_EQ(find(result, "replace.test").www().plainWord() & 0x3FFF, 7);
  EXPECT_FALSE(find(result, "drop.test").hasWwwTable());
  DomainRecord kept = find(result, "keep.test");
  ASSERT_TRUE(kept.hasWwwTable());
  EXPECT_EQ(kept.www().plainWord() & 0x3FFF, 2);
  EXPECT_EQ(kept.www().lookup("w", 1, false), matchOf(6));
  EXPECT_EQ(kept.main().plainWord() & 0x3FFF, 3);
}

TEST_F(WriteMerged, NewDomainWithOnlyPathsGetsNoHostValue) {
  CXX::Ref<Dictionary> result =
      merge({{"old.test", category(1), {}, {}, {}, {}}}, {PatchBytes(1, 100).domain("paths.test").path(kAdd, "p", 4).bytes()});
  DomainRecord added = find(result, "paths.test");
  ASSERT_TRUE(added.found());
  EXPECT_EQ(added.main().plainWord() & 0x3FFF, 0x3FFF);
  EXPECT_EQ(added.main().lookup("p", 1, false), matchOf(4));
}

TEST_F(WriteMerged, DeletingEverythingLeavesAReadableEmptyList) {
  CXX::Ref<Dictionary> result =
      merge({{"only.test", category(1), {}, {}, {}, {}}}, {PatchBytes(1, 100).domain("only.test").main(kDelete).bytes()});
  EXPECT_EQ(result->domainCount(), 0u);
  EXPECT_EQ(result->bucketCount(), 1u);
  EXPECT_FALSE(find(result, "only.test").found());
}

TEST_F(WriteMerged, RecordAreaThatDoesNotMatchTheCountIsCorrupted) {
  // Two records present, the header claims three (the walk runs out), then one (bytes left).
  for (int claimed : {3, 1}) {
    SCOPED_TRACE(claimed);
    TempFile file(rawList({rawRecord("a.test", u16(1)), rawRecord("b.test", u16(2))}, 1, 1, 0, claimed));
    CXX::Ref<Dictionary> list(Dictionary::create(file.path().string().c_str()));
    CXX::Ref<update::Patch> patch(update::Patch::create());
    std::ofstream(path("out.kiv")).close();
    CXX::platform::FileHandle target = CXX::testing::openFile(path("out.kiv"), true);
    try {
      list->writeMerged(patch.get(), target);
      ADD_FAILURE() << "expected an error";
    } catch (const CXX::SystemError& error) {
      EXPECT_STREQ(error.what(), "corrupted dictionary ?");
    }
    CXX::testing::closeFile(target);
  }
}

TEST_F(WriteMerged, MergedListKeepsEveryBucketExactlyFilled) {
  std::vector<TestDomain> current;
  for (int i = 0; i < 300; ++i) current.push_back({"d" + std::to_string(i) + ".test", category(1), {}, {}, {}, {}});
  PatchBytes patch(1, 100);
  for (int i = 0; i < 300; i += 3) patch.domain("d" + std::to_string(i) + ".test").main(kDelete);
  for (int i = 0; i < 50; ++i) patch.domain("n" + std::to_string(i) + ".test").main(kAdd, 2);
  CXX::Ref<Dictionary> result = merge(current, {patch.bytes()});
  EXPECT_EQ(result->domainCount(), 250u);
  size_t walked = 0;
  for (const uint8_t* r = result->recordArea(); r < result->end(); ++walked)
    r += DomainRecord::parse(r, static_cast<size_t>(result->end() - r)).size();
  EXPECT_EQ(walked, 250u);
  EXPECT_TRUE(find(result, "d1.test").found());
  EXPECT_FALSE(find(result, "d3.test").found());
  EXPECT_TRUE(find(result, "n49.test").found());
}

}  // namespace
}  // namespace kiv
