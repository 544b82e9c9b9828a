// Registry string data to text: where the text ends, odd sizes, byte order and the output bound.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "RegistryText.h"

namespace Quarvo {
namespace os {
namespace {

std::vector<uint8_t> utf16le(const std::u16string& text) {
  std::vector<uint8_t> bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return bytes;
}

std::u16string decode(const std::vector<uint8_t>& data, size_t capacity = 512) {
  std::vector<uint16_t> units(capacity + 1, 0xDEAD);
  const size_t count = registryText(data.data(), data.size(), units.data(), capacity);
  EXPECT_LE(count, capacity);
  EXPECT_EQ(units[count], 0xDEAD) << "wrote past the text";
  return std::u16string(units.begin(), units.begin() + static_cast<std::ptrdiff_t>(count));
}

TEST(RegistryText, EmptyOrSingleByteDataIsEmptyText) {
  EXPECT_EQ(decode({}), u"");
  EXPECT_EQ(decode({0x41}), u"");
}

TEST(RegistryText, EndsAtTheTerminatorOrTheEndOfTheData) {
  EXPECT_EQ(decode(utf16le(std::u16string(u"C:\\Temp\0", 8))), u"C:\\Temp");
  EXPECT_EQ(decode(utf16le(u"C:\\Temp")), u"C:\\Temp");  // stored without a terminator
  EXPECT_EQ(decode(utf16le(std::u16string(u"ab\0cd\0", 6))), u"ab");
  EXPECT_EQ(decode(utf16le(std::u16string(u"\0ab", 3))), u"");
}

TEST(RegistryText, DropsAnOddLastByte) {
  std::vector<uint8_t> data = utf16le(u"ab");
  data.push_back(0x63);
  EXPECT_EQ(decode(data), u"ab");
  data = {0x41};  // half a unit only
  EXPECT_EQ(decode(data), u"");
}

TEST(RegistryText, UnitsAreLittleEndianAndAZeroByteIsNotATerminator) {
  EXPECT_EQ(decode({0xAC, 0x20, 0x00, 0x01, 0x41, 0x00}), u"\u20AC\u0100A");
  EXPECT_EQ(decode(utf16le(u"\U0001F600\uFFFF")), u"\U0001F600\uFFFF");
}

TEST(RegistryText, StopsWhenTheOutputIsFull) {
  const std::vector<uint8_t> data = utf16le(u"abcdef");
  EXPECT_EQ(decode(data, 3), u"abc");
  EXPECT_EQ(decode(data, 6), u"abcdef");
  EXPECT_EQ(decode(data, 0), u"");
}

TEST(RegistryText, LargestRegistryReadFillsTheWholeOutput) {
  const std::u16string text(512, u'x');
  EXPECT_EQ(decode(utf16le(text), 512), text);
}

}  // namespace
}  // namespace os
}  // namespace Quarvo
