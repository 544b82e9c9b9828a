// BrowserRunning over the processes of the Wine prefix, whose console user is the account the
// tests run as and owns every process.
#include "BrowserRunning.h"

#include <gtest/gtest.h>

#include <string>

#include "ConsoleUser.h"
#include "InstallerState.h"
#include "TestPrograms.h"

namespace {

using setup::testing::InstallerState;

TEST(BrowserRunningTest, TheConsoleUserIsTheAccountTheTestsRunAs) {
  EXPECT_EQ(setup::consoleUserName(), Quarvo::testing::currentUserName());
}

TEST(BrowserRunningTest, AnswersZeroWithoutABrowserAndOneWithOne) {
  {
    InstallerState installer(1024, u'#');
    setup::browserRunning(installer.call());
    EXPECT_EQ(installer.variable(10), u"0");
    EXPECT_EQ(installer.variable(11), u"0");
    EXPECT_TRUE(installer.untouched(12));
  }
  Quarvo::testing::ChildProgram midori(Quarvo::testing::besideTestProgram(L"Midori.EXE"));
  ASSERT_TRUE(midori.ready());
  InstallerState installer(1024, u'#');
  setup::browserRunning(installer.call());
  EXPECT_EQ(installer.variable(10), u"0");
  EXPECT_EQ(installer.variable(11), u"1") << "found ignoring case";
  EXPECT_TRUE(installer.stackEmpty());
}

}  // namespace
