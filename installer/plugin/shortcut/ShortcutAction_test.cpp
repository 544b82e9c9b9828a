// The shortcut writer against the stand-in link: what is set, in which order, and what a failure
// or a short stack leaves behind.
#include "ShortcutAction.h"

#include "InstallerState.h"
#include "StandInSystem.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace setup {
namespace {

using testing::InstallerState;
using testing::StandInSystem;
using Steps = std::vector<std::string>;

// {9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}, as the shell documents the application identifier.
const GUID kAppUserModelFormat = {0x9F4C2855, 0x9F79, 0x4B39, {0xA8, 0xD0, 0xE1, 0xD4, 0x2D, 0xE1, 0xD5, 0xF3}};

std::wstring wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::u16string filled(std::size_t length, char16_t first) {
  std::u16string text;
  for (std::size_t i = 0; i < length; ++i) text.push_back(static_cast<char16_t>(first + i % 26));
  return text;
}

TEST(ShortcutAction, OnWindows8SetsTargetArgumentsAndIdentifierThenSaves) {
  StandInSystem system(0x0602);
  InstallerState frame(1024, u'#');
  frame.pushForPopping({u"C:\\Links\\App.lnk", u"C:\\App\\app.exe", u"Maker.App"});

  createShortcut(frame.call(), system);

  EXPECT_EQ(frame.variable(10), u"0");
  EXPECT_EQ(frame.top(), nullptr);
  EXPECT_EQ(system.link.steps, (Steps{"SetPath", "SetArguments", "SetValue", "Commit", "Save"}));
  EXPECT_EQ(system.link.path, L"C:\\App\\app.exe");
  EXPECT_EQ(system.link.arguments, L"");
  EXPECT_TRUE(IsEqualGUID(system.link.key.fmtid, kAppUserModelFormat));
  EXPECT_EQ(system.link.key.pid, 5u);
  EXPECT_EQ(system.link.type, VT_LPWSTR);
  EXPECT_EQ(system.link.value, L"Maker.App");
  EXPECT_EQ(system.link.savedPath, L"C:\\Links\\App.lnk");
  EXPECT_EQ(system.link.remember, TRUE);
  EXPECT_EQ(system.linksCreated, 1);
  EXPECT_EQ(system.link.otherReferences(), 0u);
}

TEST(ShortcutAction, OnWindows7SavesWithoutTheIdentifier) {
  StandInSystem system(0x0601);
  InstallerState frame(1024, u'#');
  frame.pushForPopping({u"C:\\Links\\App.lnk", u"C:\\App\\app.exe", u"Maker.App"});

  createShortcut(frame.call(), system);

  EXPECT_EQ(frame.variable(10), u"0");
  EXPECT_EQ(system.link.steps, (Steps{"SetPath", "SetArguments", "Save"}));
  EXPECT_EQ(system.link.type, VT_EMPTY);
  EXPECT_EQ(system.allocations, 0);
  EXPECT_EQ(frame.top(), nullptr);
}

TEST(ShortcutAction, TextsArriveWholeUpToTheStringSize) {
  StandInSystem system(0x0602);
  InstallerState frame(8192, u'#');
  const std::u16string shortcut = u"C:\\" + filled(600, u'a') + u".lnk";
  const std::u16string target = u"D:\\" + filled(700, u'k');
  const std::u16string identifier = filled(8191, u'A');
  frame.pushForPopping({shortcut, target, identifier});

  createShortcut(frame.call(), system);

  EXPECT_EQ(system.link.savedPath, wide(shortcut));
  EXPECT_EQ(system.link.path, wide(target));
  EXPECT_EQ(system.link.value, wide(identifier));
}

TEST(ShortcutAction, MissingTextsActOnNothingAndReportInvalidArgument) {
  for (std::size_t texts = 0; texts < 3; ++texts) {
    SCOPED_TRACE(texts);
    StandInSystem system(0x0602);
    InstallerState frame(1024, u'#');
    const std::u16string all[] = {u"C:\\Links\\App.lnk", u"C:\\App\\app.exe"};
    for (std::size_t i = texts; i-- > 0;) ASSERT_EQ(frame.call().push(all[i]), kSuccess);

    createShortcut(frame.call(), system);

    EXPECT_EQ(frame.variable(10), u"-2147024809");
    EXPECT_EQ(system.linksCreated, 0);
    EXPECT_TRUE(system.link.steps.empty());
  }
}

TEST(ShortcutAction, FailedCreationIsReportedAndNothingElseHappens) {
  StandInSystem system(0x0602);
  system.creationStatus = REGDB_E_CLASSNOTREG;
  InstallerState frame(1024, u'#');
  frame.pushForPopping({u"C:\\Links\\App.lnk", u"C:\\App\\app.exe", u"Maker.App"});

  createShortcut(frame.call(), system);

  EXPECT_EQ(frame.variable(10), decimalText(static_cast<int>(REGDB_E_CLASSNOTREG)));
  EXPECT_TRUE(system.link.steps.empty());
}

TEST(ShortcutAction, IdentifierThatCannotBeCopiedFailsBeforeAnythingIsSaved) {
  StandInSystem system(0x0602);
  system.allocationFails = true;
  InstallerState frame(1024, u'#');
  frame.pushForPopping({u"C:\\Links\\App.lnk", u"C:\\App\\app.exe", u"Maker.App"});

  createShortcut(frame.call(), system);

  EXPECT_EQ(frame.variable(10), decimalText(static_cast<int>(E_OUTOFMEMORY)));
  EXPECT_EQ(system.link.steps, (Steps{"SetPath", "SetArguments"}));
  EXPECT_EQ(system.link.otherReferences(), 0u);
}

struct FailingStep {
  const char* name;
  Steps stepsTaken;
};

void PrintTo(const FailingStep& step, std::ostream* out) { *out << step.name; }

class ShortcutFailure : public ::testing::TestWithParam<FailingStep> {};

TEST_P(ShortcutFailure, FirstFailingStatusIsReportedAndNoLinkIsSavedAfterIt) {
  StandInSystem system(0x0602);
  system.link.failingStep = GetParam().name;
  system.link.failure = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
  InstallerState frame(1024, u'#');
  frame.pushForPopping({u"C:\\Links\\App.lnk", u"C:\\App\\app.exe", u"Maker.App"});

  createShortcut(frame.call(), system);

  EXPECT_EQ(frame.variable(10), u"-2147024891");
  EXPECT_EQ(system.link.steps, GetParam().stepsTaken);
  EXPECT_EQ(system.link.otherReferences(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ShortcutFailure,
    ::testing::Values(FailingStep{"SetPath", {"SetPath"}},
                      FailingStep{"SetArguments", {"SetPath", "SetArguments"}},
                      FailingStep{"SetValue", {"SetPath", "SetArguments", "SetValue"}},
                      FailingStep{"Commit", {"SetPath", "SetArguments", "SetValue", "Commit"}},
                      FailingStep{"Save", {"SetPath", "SetArguments", "SetValue", "Commit", "Save"}}),
    [](const ::testing::TestParamInfo<FailingStep>& step) { return std::string(step.param.name); });

}  // namespace
}  // namespace setup
