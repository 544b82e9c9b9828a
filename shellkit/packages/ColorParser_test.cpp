#include "ColorParser.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

namespace {

using shellkit::kNoColor;
using shellkit::parseBackgroundColor;

constexpr std::int32_t kCurrent = 0x123456;

std::u16string widen(std::string_view text) { return std::u16string(text.begin(), text.end()); }

TEST(ColorParser, HashValuesGiveRedInTheLowByte) {
  EXPECT_EQ(parseBackgroundColor(u"#0078D7", kCurrent), 0xD77800);
  EXPECT_EQ(parseBackgroundColor(u"#0078d7", kCurrent), 0xD77800) << "lower-case digits";
  EXPECT_EQ(parseBackgroundColor(u"#FF0000", kCurrent), 0x0000FF);
  EXPECT_EQ(parseBackgroundColor(u"#000000", kCurrent), 0);
  EXPECT_EQ(parseBackgroundColor(u"#0078D7FF", kCurrent), 0xD77800) << "characters past the sixth are ignored";
  EXPECT_EQ(parseBackgroundColor(u"#0078D7 trailing", kCurrent), 0xD77800);
}

TEST(ColorParser, ShortHashValuesKeepTheCurrentColour) {
  EXPECT_EQ(parseBackgroundColor(u"#FFF", kCurrent), kCurrent);
  EXPECT_EQ(parseBackgroundColor(u"#", kCurrent), kCurrent);
  EXPECT_EQ(parseBackgroundColor(u"#12345", kCurrent), kCurrent);
  EXPECT_EQ(parseBackgroundColor(u"#12345", kNoColor), kNoColor);
  EXPECT_EQ(parseBackgroundColor(u"#123456", kNoColor), 0x563412) << "six characters are enough";
}

TEST(ColorParser, LettersPastFCountOnAndTheSumKeepsEightBits) {
  // 'g' counts 16: 16 * 16 + 16 = 272, of which 8 bits are 0x10.
  EXPECT_EQ(parseBackgroundColor(u"#gg0000", kCurrent), 0x000010);
  // 'z' counts 35: 16 * 35 + 35 = 595 = 0x253.
  EXPECT_EQ(parseBackgroundColor(u"#00zz00", kCurrent), 0x005300);
  EXPECT_EQ(parseBackgroundColor(u"#0000ZZ", kCurrent), 0x530000) << "upper case counts alike";
  // '1' then 'g': 16 + 16 = 32.
  EXPECT_EQ(parseBackgroundColor(u"#1g0000", kCurrent), 0x000020);
  // 'x' is a letter and counts 33, so "0x" is no bad pair: 0 * 16 + 33.
  EXPECT_EQ(parseBackgroundColor(u"#0x78D7", kCurrent), 0xD77821);
}

TEST(ColorParser, APairWithAnyOtherCharacterGives255) {
  EXPECT_EQ(parseBackgroundColor(u"#-078D7", kCurrent), 0xD778FF);
  EXPECT_EQ(parseBackgroundColor(u"#00 0D7", kCurrent), 0xD7FF00);
  EXPECT_EQ(parseBackgroundColor(u"#0078D\u00E9", kCurrent), 0xFF7800) << "a non-ASCII letter does not count";
  EXPECT_EQ(parseBackgroundColor(u"#######", kCurrent), 0xFFFFFF);
}

TEST(ColorParser, KeywordsIgnoreCase) {
  EXPECT_EQ(parseBackgroundColor(u"red", kCurrent), 0x0000FF);
  EXPECT_EQ(parseBackgroundColor(u"CornflowerBlue", kCurrent), 0xED9564);
  EXPECT_EQ(parseBackgroundColor(u"DarkGrey", kCurrent), 0xA9A9A9);
  EXPECT_EQ(parseBackgroundColor(u"darkgray", kCurrent), 0xA9A9A9);
  EXPECT_EQ(parseBackgroundColor(u"LIGHTGOLDENRODYELLOW", kCurrent), 0xD2FAFA) << "the longest keyword";
  EXPECT_EQ(parseBackgroundColor(u"aliceblue", kCurrent), 0xFFF8F0) << "the first keyword";
  EXPECT_EQ(parseBackgroundColor(u"YellowGreen", kCurrent), 0x32CD9A) << "the last keyword";
}

TEST(ColorParser, AnythingElseIsNoColour) {
  EXPECT_EQ(parseBackgroundColor(u"transparent", kCurrent), kNoColor);
  EXPECT_EQ(parseBackgroundColor(u"rebeccapurple", kCurrent), kNoColor) << "not a CSS 3 keyword";
  EXPECT_EQ(parseBackgroundColor(u"", kCurrent), kNoColor);
  EXPECT_EQ(parseBackgroundColor(u" red", kCurrent), kNoColor);
  EXPECT_EQ(parseBackgroundColor(u"red ", kCurrent), kNoColor);
  EXPECT_EQ(parseBackgroundColor(u"re", kCurrent), kNoColor);
  EXPECT_EQ(parseBackgroundColor(u"redd", kCurrent), kNoColor);
  EXPECT_EQ(parseBackgroundColor(u"lightgoldenrodyellowx", kCurrent), kNoColor);
  EXPECT_EQ(parseBackgroundColor(u"0078D7", kCurrent), kNoColor) << "no '#'";
  // A character whose low byte is a letter must not fold onto it.
  EXPECT_EQ(parseBackgroundColor(u"\u0172ed", kCurrent), kNoColor);
  EXPECT_EQ(parseBackgroundColor(std::u16string(u"red\0", 4), kCurrent), kNoColor);
}

TEST(ColorParser, TheKeywordTableHoldsTheCss3KeywordsOnceEach) {
  const auto* begin = shellkit::namedColorsBegin();
  const auto* end = shellkit::namedColorsEnd();
  EXPECT_EQ(end - begin, 147);
  std::set<std::string_view> names;
  for (const auto* entry = begin; entry != end; ++entry) {
    EXPECT_TRUE(names.insert(entry->name).second) << "duplicate " << entry->name;
    if (entry != begin) {
      EXPECT_LT(entry[-1].name, entry->name) << "out of order";
    }
    EXPECT_GE(entry->value, 0);
    EXPECT_LE(entry->value, 0xFFFFFF);
    for (char c : entry->name) EXPECT_TRUE(std::islower(static_cast<unsigned char>(c))) << entry->name;
  }
  for (const char* grey : {"darkgrey", "darkslategrey", "dimgrey", "grey", "lightgrey", "lightslategrey", "slategrey"}) {
    EXPECT_EQ(names.count(grey), 1u) << grey;
  }
  EXPECT_EQ(names.count("transparent"), 0u);
}

TEST(ColorParser, EveryKeywordIsFoundInAnyCase) {
  for (const auto* entry = shellkit::namedColorsBegin(); entry != shellkit::namedColorsEnd(); ++entry) {
    std::string upper(entry->name);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(parseBackgroundColor(widen(entry->name), kCurrent), entry->value) << entry->name;
    EXPECT_EQ(parseBackgroundColor(widen(upper), kCurrent), entry->value) << upper;
  }
}

TEST(ColorParser, GreySpellingsMatchTheirGraySisters) {
  const std::pair<const char16_t*, const char16_t*> pairs[] = {
      {u"darkgrey", u"darkgray"}, {u"darkslategrey", u"darkslategray"}, {u"dimgrey", u"dimgray"},
      {u"grey", u"gray"},         {u"lightgrey", u"lightgray"},         {u"lightslategrey", u"lightslategray"},
      {u"slategrey", u"slategray"}};
  for (const auto& [grey, gray] : pairs) {
    EXPECT_NE(parseBackgroundColor(grey, kCurrent), kNoColor);
    EXPECT_EQ(parseBackgroundColor(grey, kCurrent), parseBackgroundColor(gray, kCurrent));
  }
}

TEST(ColorParser, SpotValuesMatchTheirHashForms) {
  const std::pair<const char16_t*, const char16_t*> pairs[] = {
      {u"navy", u"#000080"}, {u"teal", u"#008080"}, {u"orange", u"#FFA500"}, {u"tomato", u"#FF6347"},
      {u"indigo", u"#4B0082"}, {u"silver", u"#C0C0C0"}, {u"papayawhip", u"#FFEFD5"}, {u"fuchsia", u"#FF00FF"}};
  for (const auto& [name, hash] : pairs) {
    EXPECT_EQ(parseBackgroundColor(name, kCurrent), parseBackgroundColor(hash, kCurrent)) << "keyword vs hash";
  }
}

}  // namespace
