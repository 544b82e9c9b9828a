// Copies of Java strings: exact units, the terminator, U+0000 anywhere, and failed copies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeJni.h"
#include "QuarvoJni/JniText.h"

namespace Quarvo {
namespace jni {
namespace {

using test::FakeJni;

std::u16string textOf(const JniText& text) {
  return std::u16string(text.units(), text.units() + text.length());
}

TEST(JniText, NullReferenceIsNotCopiedAndCallsNothing) {
  FakeJni fake;
  JniText text(fake.env(), nullptr);
  EXPECT_TRUE(text.isNull());
  EXPECT_FALSE(text.copied());
  EXPECT_EQ(text.units(), nullptr);
  EXPECT_EQ(text.length(), 0);
  EXPECT_TRUE(fake.calls.empty());
}

TEST(JniText, CopiesEveryUnitAndTerminates) {
  for (const std::u16string& java : {std::u16string(u"a"), std::u16string(u"HKEY path\\Sub"),
                                     std::u16string(u"\u00e9\u20ac\U0001F600\uFFFF")}) {
    FakeJni fake;
    JniText text(fake.env(), fake.newString(java));
    ASSERT_TRUE(text.copied());
    EXPECT_FALSE(text.isNull());
    EXPECT_EQ(textOf(text), java);
    EXPECT_EQ(text.units()[text.length()], 0);
    EXPECT_FALSE(text.holdsNul());
  }
}

TEST(JniText, EmptyStringIsATerminatedCopyNotANull) {
  FakeJni fake;
  JniText text(fake.env(), fake.newString(u""));
  ASSERT_TRUE(text.copied());
  EXPECT_FALSE(text.isNull());
  EXPECT_EQ(text.length(), 0);
  EXPECT_EQ(text.units()[0], 0);
  EXPECT_FALSE(text.holdsNul());
}

TEST(JniText, NoticesU0000AtEitherEndOrInside) {
  const std::u16string withNul[] = {std::u16string(u"\0abc", 4), std::u16string(u"ab\0c", 4),
                                    std::u16string(u"abc\0", 4), std::u16string(u"\0", 1)};
  for (const std::u16string& java : withNul) {
    FakeJni fake;
    JniText text(fake.env(), fake.newString(java));
    ASSERT_TRUE(text.copied());
    EXPECT_TRUE(text.holdsNul());
    EXPECT_EQ(textOf(text), java);  // kept whole: the caller decides what to do with it
  }
}

TEST(JniText, UnitsWithAZeroByteAreNotU0000) {
  FakeJni fake;
  JniText text(fake.env(), fake.newString(u"\u0100\u2000"));
  ASSERT_TRUE(text.copied());
  EXPECT_FALSE(text.holdsNul());
}

TEST(JniText, FailedRegionCopyLeavesNoTextAndCallsNothingMore) {
  FakeJni fake;
  fake.failStringRegion = true;
  JniText text(fake.env(), fake.newString(u"abc"));
  EXPECT_FALSE(text.copied());
  EXPECT_FALSE(text.isNull());
  EXPECT_EQ(text.units(), nullptr);
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"GetStringLength", "GetStringRegion", "ExceptionCheck"}));
}

}  // namespace
}  // namespace jni
}  // namespace Quarvo
