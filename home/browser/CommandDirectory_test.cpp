#include "CommandDirectory.h"

#include <gtest/gtest.h>

namespace {

using Quarvo::commandDirectory;

TEST(CommandDirectory, QuotedCommandsKeepTheirCaseAndLoseTheirArguments) {
  EXPECT_EQ(commandDirectory(u"  \"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -osint -url \"%1\""),
            u"C:\\Program Files\\Mozilla Firefox\\");
  EXPECT_EQ(commandDirectory(u"C:/Apps/SeaMonkey/seamonkey.exe"), u"C:/Apps/SeaMonkey/");
  EXPECT_EQ(commandDirectory(u"firefox.exe"), u"firefox.exe") << "no separator: the whole text";
  EXPECT_EQ(commandDirectory(u"\"\""), u"");
}

TEST(CommandDirectory, AnUnclosedQuoteOrAnOverlongPathGivesNothing) {
  EXPECT_FALSE(commandDirectory(u"\"C:\\Program Files\\firefox.exe -url"));
  std::u16string longPath = u"C:\\" + std::u16string(2044, u'd') + u"\\x.exe";
  EXPECT_FALSE(commandDirectory(longPath)) << "a directory of 2,048 characters";
  std::u16string justFits = u"C:\\" + std::u16string(2043, u'd') + u"\\x.exe";
  EXPECT_TRUE(commandDirectory(justFits));
}

}  // namespace
