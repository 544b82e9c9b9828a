#include "DigestAction.h"

#include "ExpectedDigests.h"
#include "InstallerState.h"
#include "PluginMemory.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace setup {
namespace {

using testing::InstallerState;

std::u16string fromAscii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

// The same texts expected_digests.py hashes.
std::u16string patternText(std::size_t length) {
  std::u16string text;
  for (std::size_t i = 0; i < length; ++i) text.push_back(static_cast<char16_t>(0x21 + (i * 7) % 94));
  return text;
}

std::u16string hashOf(std::u16string_view text, int stringSize = 1024) {
  InstallerState frame(stringSize, u'#');
  frame.push(text);
  hashText(frame.call());
  return frame.variable(10);
}

TEST(DigestAction, HashesTheDigestOfTheText) {
  EXPECT_EQ(hashOf(u"abc"), u"0d3ced9bec10a777aec23ccc353a8c08a633045e");
}

class DigestLengths : public ::testing::TestWithParam<int> {};

TEST_P(DigestLengths, MatchesHashlibAroundBlockEdgesUpToTheStringSize) {
  const int stringSize = GetParam();
  for (const ExpectedDigest& expected : kPatternDigests) {
    if (expected.length >= static_cast<std::size_t>(stringSize)) continue;
    SCOPED_TRACE(expected.length);
    EXPECT_EQ(hashOf(patternText(expected.length), stringSize), fromAscii(expected.hex));
  }
}

INSTANTIATE_TEST_SUITE_P(StringSizes, DigestLengths, ::testing::Values(1024, 8192));

TEST(DigestAction, TakesOnlyTheTopTextAndFreesItsNode) {
  InstallerState frame(1024, u'#');
  frame.push(u"below");
  StackNode* const below = frame.top();
  frame.push(u"abc");
  const std::size_t releasedBefore = memory::releasedBlocks();

  hashText(frame.call());

  EXPECT_EQ(frame.variable(10), u"0d3ced9bec10a777aec23ccc353a8c08a633045e");
  EXPECT_EQ(frame.top(), below);
  EXPECT_EQ(memory::releasedBlocks() - releasedBefore, 1u);
  EXPECT_TRUE(frame.untouched(9));
  EXPECT_TRUE(frame.untouched(11));
}

TEST(DigestAction, EmptyStackEmptiesTheResultAndWritesNothingElse) {
  InstallerState frame(1024, u'#');
  hashText(frame.call());

  EXPECT_EQ(frame.variable(10), u"");
  EXPECT_TRUE(frame.untouched(9));
  EXPECT_TRUE(frame.untouched(11));
}

TEST(DigestAction, WithoutStringSizeNothingIsPoppedOrWritten) {
  std::u16string variables(16, u'#');
  StackNode* top = nullptr;
  PluginCall sized(16, variables.data(), &top);
  ASSERT_EQ(sized.push(u"abc"), kSuccess);
  StackNode* const node = top;

  PluginCall unsized(0, variables.data(), &top);
  hashText(unsized);

  EXPECT_EQ(top, node);
  EXPECT_EQ(variables, std::u16string(16, u'#'));
  std::u16string ignored;
  EXPECT_EQ(sized.pop(ignored), kSuccess);
}

// Texts beyond ASCII are hashed in the ANSI code page the system uses. Each suite runs where
// its code page is the active one (the second under a Japanese locale, see CMakeLists.txt).
TEST(DigestCodePage1252, WesternTextIsHashedInTheCodePage) {
  ASSERT_EQ(GetACP(), 1252u);
  EXPECT_EQ(hashOf(kWesternText), fromAscii(kWesternDigest1252));
}

// A character the code page lacks must not become '?': the result stays empty and the text
// stays on the stack.
void expectUnconvertedTextLeftAlone(std::u16string_view text) {
  InstallerState frame(1024, u'#');
  frame.push(text);
  StackNode* const node = frame.top();
  hashText(frame.call());
  EXPECT_EQ(frame.variable(10), u"");
  EXPECT_EQ(frame.top(), node);
}

TEST(DigestCodePage1252, TextOutsideTheCodePageGivesNoDigest) {
  ASSERT_EQ(GetACP(), 1252u);
  expectUnconvertedTextLeftAlone(u"\u65E5\u672C");
  expectUnconvertedTextLeftAlone(u"caf\u00E9 \u0160 \u0411");
}

TEST(DigestCodePage932, LongJapaneseTextIsHashedWhole) {
  ASSERT_EQ(GetACP(), 932u);
  const std::u16string text = kJapaneseText;
  ASSERT_GT(text.size(), 1024u);
  EXPECT_EQ(hashOf(text, 8192), fromAscii(kJapaneseDigest932));
}

TEST(DigestCodePage932, TextOutsideTheCodePageGivesNoDigest) {
  ASSERT_EQ(GetACP(), 932u);
  expectUnconvertedTextLeftAlone(u"caf\u00E9");
}

}  // namespace
}  // namespace setup
