// Joining a sub-key name to its parent's path.
#include <gtest/gtest.h>

#include <string>

#include "SubKeyPath.h"

namespace Quarvo {
namespace os {
namespace {

std::u16string join(std::u16string_view key, std::u16string_view name) { return subKeyPath<char16_t>(key, name); }

TEST(SubKeyPath, PutsOneBackslashBetweenKeyAndName) {
  EXPECT_EQ(join(u"Software\\Quarvo", u"Policy"), u"Software\\Quarvo\\Policy");
  EXPECT_EQ(join(u"Software\\Quarvo\\", u"Policy"), u"Software\\Quarvo\\Policy");
}

TEST(SubKeyPath, OnlyATrailingBackslashCounts) {
  EXPECT_EQ(join(u"\\Software", u"x"), u"\\Software\\x");
  EXPECT_EQ(join(u"Software/", u"x"), u"Software/\\x");
  EXPECT_EQ(join(u"a\\\\", u"x"), u"a\\\\x");
}

TEST(SubKeyPath, EmptyPartsStillGetTheSeparator) {
  EXPECT_EQ(join(u"", u"x"), u"\\x");
  EXPECT_EQ(join(u"k", u""), u"k\\");
}

TEST(SubKeyPath, KeepsUnitsBeyondAscii) {
  EXPECT_EQ(join(u"Cl\u00e9s", u"\u20AC\U0001F600"), u"Cl\u00e9s\\\u20AC\U0001F600");
}

}  // namespace
}  // namespace os
}  // namespace Quarvo
