// BrowserRunning over the processes of the Wine prefix, whose console user is the account the
// tests run as and owns every process.
#include "BrowserRunning.h"

#include <gtest/gtest.h>

#include <string>

#include "ConsoleUser.h"
#include "InstallerCall.h"
#include "TestPrograms.h"

namespace {

using setup::testing::InstallerCall;

TEST(BrowserRunningTest, TheConsoleUserIsTheAccountTheTestsRunAs) {
  EXPECT_EQ(setup::consoleUserName(), Quarvo::testing::currentUserName());
}

TEST(BrowserRunningTest, AnswersZeroWithoutABrowserAndOneWithOne) {
  {
    InstallerCall installer;
    setup::browserRunning(installer.call());
    EXPECT_EQ(installer.variable(10), u"0");
    EXPECT_EQ(installer.variable(11), u"0");
    EXPECT_EQ(installer.variable(12), u"untouched");
  }
  Quarvo::testing::ChildProgram midori(Quarvo::testing::besideTestProgram(L"Midori.EXE"));
  ASSERT_TRUE(midori.ready());
  InstallerCall installer;
  setup::browserRunning(installer.call());
  EXPECT_EQ(installer.variable(10), u"0");
  EXPECT_EQ(installer.variable(11), u"1") << "found ignoring case";
  EXPECT_TRUE(installer.stackEmpty());
}

}  // namespace
