// Reading patch files and folding several of them into one set of changes.
#include <gtest/gtest.h>

#include <sstream>

#include "../test_lists.h"
#include "Patch.h"
#include "PatchFormat.h"
#include "Sha1Key.h"
#include "memstreambuf.h"
#include "test_patches.h"

namespace kiv::update {
namespace {

using namespace kiv::testing;
using namespace kiv::patch;

// Reads each file in turn into one patch, as one update response does.
CXX::Ref<Patch> readAll(const std::vector<std::string>& files) {
  CXX::Ref<Patch> patch(Patch::create());
  for (const std::string& file : files) {
    memstreambuf buffer(file.data(), file.size());
    std::istream input(&buffer);
    input.exceptions(std::ios::failbit | std::ios::badbit | std::ios::eofbit);
    patch->read(input);
  }
  return patch;
}

std::string errorOf(const std::vector<std::string>& files) {
  try {
    readAll(files);
  } catch (const CXX::SystemError& error) {
    return error.what();
  } catch (const std::ios::failure&) {
    return "(stream failure)";
  }
  return "(read)";
}

Key key(const std::string& name) { return keyOf(name.data(), name.size()); }

TEST(PatchRead, RefusesForeignUnsupportedInconsistentAndOutOfOrderFiles) {
  EXPECT_EQ(errorOf({PatchBytes(1, 100, "kivf").bytes()}), "invalid patch file (signature does not match)");
  EXPECT_EQ(errorOf({PatchBytes(1, 100, "kivp", 2).bytes()}), "Unsupported patch file version");
  EXPECT_EQ(errorOf({PatchBytes(1, 100).bytes(), PatchBytes(2, 200).bytes()}), "inconsistent patch type");
  EXPECT_EQ(errorOf({PatchBytes(1, 100).bytes(), PatchBytes(1, 100).bytes()}), "Out of order patch files detected");
  EXPECT_EQ(errorOf({PatchBytes(1, 0).bytes()}), "Out of order patch files detected");
  EXPECT_EQ(errorOf({PatchBytes(1, 100).bytes().substr(0, 31)}), "(stream failure)");
  std::string cut = PatchBytes(1, 100).domain("a.test").main(kAdd, 5).bytes();
  EXPECT_EQ(errorOf({cut.substr(0, cut.size() - 2)}), "(stream failure)");
  // A header claiming far more records than follow fails on the missing bytes.
  EXPECT_EQ(errorOf({PatchBytes(1, 100).domain("a.test").bytes(0xFFFFFFF0)}), "(stream failure)");
  EXPECT_EQ(errorOf({PatchBytes(1, 100).domain("a.test").raw("\x10").bytes()}),
            "invalid patch file (unknown change item)");
}

TEST(PatchRead, DatesTypesAndEmptyFiles) {
  CXX::Ref<Patch> patch = readAll({PatchBytes(2, 100).bytes(), PatchBytes(2, 101).bytes() + "trailing bytes"});
  EXPECT_EQ(patch->listType(), 2u);
  EXPECT_DOUBLE_EQ(patch->date(), 0.000101);
  EXPECT_EQ(patch->domainCount(), 0u);
}

TEST(PatchRead, ItemsCarryTheirWordsOrTheAbsentWord) {
  CXX::Ref<Patch> patch = readAll({PatchBytes(1, 100)
                                       .domain("bare.test")
                                       .domain("plain.test").main(kAdd, 0x0005)
                                       .domain("secure.test").main(kModify, 0x8005, 0x4007).www(kAdd, 9, 0, kTargetWwwAlias)
                                       .domain("paths.test").path(kDelete, "gone").path(kAdd, "new", 0x4003)
                                       .bytes()});
  const DomainChange* bare = patch->domainChange(key("bare.test").bytes);
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->mainOperation, 0);
  EXPECT_EQ(bare->wwwOperation, 0);
  EXPECT_EQ(bare->mainPlain, 0);

  const DomainChange* plain = patch->domainChange(key("plain.test").bytes);
  EXPECT_EQ(plain->mainPlain, 0x0005);
  EXPECT_EQ(plain->mainSecure, 0xFFFF);

  const DomainChange* secure = patch->domainChange(key("secure.test").bytes);
  EXPECT_EQ(actionOf(secure->mainOperation), kModify);
  EXPECT_EQ(secure->mainSecure, 0x4007);
  EXPECT_EQ(actionOf(secure->wwwOperation), kAdd);
  EXPECT_EQ(secure->wwwPlain, 9);

  const std::vector<PathChange>& paths = patch->pathChanges(key("paths.test").bytes);
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(actionOf(paths[0].operation), kDelete);
  EXPECT_EQ(paths[0].value, 0u);
  EXPECT_EQ(paths[1].value, 0x4003u);
  EXPECT_EQ(paths[1].pathKey, key("new"));
}

struct Transition {
  uint8_t first, second;
  bool present;
  uint8_t action;
  int which;  // 1: the first item's value, 2: the second's, 0: none (a delete)
};

// The fold rule, old action by new action, as a table.
const Transition kTransitions[] = {
    {kAdd, kAdd, true, kAdd, 1},          {kAdd, kModify, true, kAdd, 2},
    {kAdd, kDelete, false, 0, 0},         {kAdd, kKeep, true, kAdd, 1},
    {kModify, kAdd, true, kModify, 1},    {kModify, kModify, true, kModify, 2},
    {kModify, kDelete, true, kDelete, 0}, {kModify, kKeep, true, kModify, 1},
    {kDelete, kAdd, true, kModify, 2},    {kDelete, kModify, true, kDelete, 0},
    {kDelete, kDelete, true, kDelete, 0}, {kDelete, kKeep, true, kDelete, 0},
    {kKeep, kAdd, true, kKeep, 1},        {kKeep, kModify, true, kKeep, 1},
    {kKeep, kDelete, true, kKeep, 1},     {kKeep, kKeep, true, kKeep, 1},
};

TEST(PatchFold, PathChangesFollowTheTransitionTable) {
  for (const Transition& t : kTransitions) {
    SCOPED_TRACE(::testing::Message() << "old " << int(t.first) << " new " << int(t.second));
    CXX::Ref<Patch> patch = readAll({PatchBytes(1, 100).domain("d.test").path(t.first, "p", 0x11).bytes(),
                                     PatchBytes(1, 200).domain("d.test").path(t.second, "p", 0x22).bytes()});
    const std::vector<PathChange>& paths = patch->pathChanges(key("d.test").bytes);
    ASSERT_EQ(paths.size(), t.present ? 1u : 0u);
    if (!t.present) continue;
    EXPECT_EQ(actionOf(paths[0].operation), t.action);
    // A delete item carries no value: a delete that stays a delete reads 0.
    uint32_t first = t.first == kDelete ? 0 : 0x11;
    uint32_t second = t.second == kDelete ? 0 : 0x22;
    EXPECT_EQ(paths[0].value, t.which == 1 ? first : t.which == 2 ? second : 0u);
  }
}

TEST(PatchFold, WwwHostWordsFollowTheTransitionTable) {
  // For a table, "remove the change" leaves it at keep, and a keep takes the first other
  // action with its words.
  struct {
    uint8_t first, second, action;
    uint16_t plain;
  } const expected[] = {
      {kAdd, kAdd, kAdd, 0x11},          {kAdd, kModify, kAdd, 0x22},
      {kAdd, kDelete, kKeep, 0x11},      {kAdd, kKeep, kAdd, 0x11},
      {kModify, kAdd, kModify, 0x11},    {kModify, kModify, kModify, 0x22},
      {kModify, kDelete, kDelete, 0xFFFF}, {kModify, kKeep, kModify, 0x11},
      {kDelete, kAdd, kModify, 0x22},    {kDelete, kModify, kDelete, 0xFFFF},
      {kDelete, kDelete, kDelete, 0xFFFF}, {kDelete, kKeep, kDelete, 0xFFFF},
      {kKeep, kAdd, kAdd, 0x22},         {kKeep, kModify, kModify, 0x22},
      {kKeep, kDelete, kDelete, 0xFFFF}, {kKeep, kKeep, kKeep, 0x11},
  };
  for (const auto& t : expected) {
    SCOPED_TRACE(::testing::Message() << "old " << int(t.first) << " new " << int(t.second));
    CXX::Ref<Patch> patch = readAll({PatchBytes(1, 100).domain("d.test").www(t.first, 0x11).bytes(),
                                     PatchBytes(1, 200).domain("d.test").www(t.second, 0x22).bytes()});
    const DomainChange* change = patch->domainChange(key("d.test").bytes);
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(actionOf(change->wwwOperation), t.action);
    EXPECT_EQ(change->wwwPlain, t.plain);
  }
}

TEST(PatchFold, DomainAddedThenDeletedLeavesNoTrace) {
  CXX::Ref<Patch> patch =
      readAll({PatchBytes(1, 100).domain("d.test").main(kAdd, 5).path(kAdd, "p", 1).bytes(),
               PatchBytes(1, 200).domain("d.test").path(kAdd, "q", 2).main(kDelete).bytes()});
  EXPECT_EQ(patch->domainChange(key("d.test").bytes), nullptr);
  EXPECT_TRUE(patch->pathChanges(key("d.test").bytes).empty());
  EXPECT_EQ(patch->domainCount(), 0u);
}

TEST(PatchFold, DeletingAnExistingDomainDropsItsPathsAndWwwChange) {
  CXX::Ref<Patch> patch = readAll({PatchBytes(1, 100).domain("d.test").www(kAdd, 5).path(kAdd, "p", 1).bytes(),
                                   PatchBytes(1, 200).domain("d.test").main(kDelete).bytes()});
  const DomainChange* change = patch->domainChange(key("d.test").bytes);
  ASSERT_NE(change, nullptr);
  EXPECT_EQ(actionOf(change->mainOperation), kDelete);
  EXPECT_EQ(actionOf(change->wwwOperation), kKeep);
  EXPECT_TRUE(patch->pathChanges(key("d.test").bytes).empty());

  CXX::Ref<Patch> single = readAll({PatchBytes(1, 100).domain("e.test").www(kAdd, 5).path(kAdd, "p", 1).main(kDelete).bytes()});
  EXPECT_EQ(actionOf(single->domainChange(key("e.test").bytes)->wwwOperation), kKeep);
  EXPECT_TRUE(single->pathChanges(key("e.test").bytes).empty());
}

TEST(PatchFold, PathsFirstThenMainWordsEndsAsAnAdd) {
  CXX::Ref<Patch> patch = readAll({PatchBytes(1, 100).domain("d.test").path(kAdd, "p", 1).bytes(),
                                   PatchBytes(1, 200).domain("d.test").main(kAdd, 0x8004, 0x0006).bytes()});
  const DomainChange* change = patch->domainChange(key("d.test").bytes);
  EXPECT_EQ(actionOf(change->mainOperation), kAdd);
  EXPECT_EQ(change->mainPlain, 0x8004);
  EXPECT_EQ(change->mainSecure, 0x0006);
  EXPECT_EQ(patch->pathChanges(key("d.test").bytes).size(), 1u);
}

}  // namespace
}  // namespace kiv::update
