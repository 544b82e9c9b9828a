// Tile background colour values as a manifest may hold them. The first four bytes are the
// current colour; the rest, two bytes a character (low byte first), is the value. A result is
// none, the current colour or a 24-bit colour; '#' values depend only on their first seven
// characters and never on letter case; keywords are checked against a plain scan of the table.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ColorParser.h"

namespace {

using shellkit::kNoColor;
using shellkit::parseBackgroundColor;

char16_t asciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }
char16_t asciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

std::u16string mapped(std::u16string_view text, char16_t (*change)(char16_t)) {
  std::u16string result(text);
  for (char16_t& c : result) c = change(c);
  return result;
}

// The keyword's colour by a linear scan, or -1.
std::int32_t scannedKeyword(std::u16string_view value) {
  std::u16string lower = mapped(value, asciiLower);
  for (const auto* entry = shellkit::namedColorsBegin(); entry != shellkit::namedColorsEnd(); ++entry) {
    if (lower.size() != entry->name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < lower.size() && same; ++i) same = lower[i] == static_cast<unsigned char>(entry->name[i]);
    if (same) return entry->value;
  }
  return kNoColor;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  std::uint32_t bits = 0;
  std::memcpy(&bits, data, sizeof bits);
  const auto current = static_cast<std::int32_t>(bits);
  std::u16string value;
  for (std::size_t i = 4; i + 1 < size; i += 2) value.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));

  const std::int32_t result = parseBackgroundColor(value, current);
  if (result != kNoColor && result != current && (result < 0 || result > 0xFFFFFF)) std::abort();

  const std::int32_t other = ~current;
  if (!value.empty() && value.front() == u'#') {
    if (value.size() < 7) {
      if (result != current) std::abort();
      return 0;
    }
    if (result < 0 || result > 0xFFFFFF) std::abort();
    if (parseBackgroundColor(value.substr(0, 7), other) != result) std::abort();
    if (parseBackgroundColor(mapped(value, asciiUpper), other) != result) std::abort();
    if (parseBackgroundColor(mapped(value, asciiLower), other) != result) std::abort();
    return 0;
  }
  if (result != scannedKeyword(value)) std::abort();
  if (parseBackgroundColor(value, other) != result) std::abort();
  return 0;
}
