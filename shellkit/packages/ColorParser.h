// A store application's tile background colour as its manifest writes it: "#RRGGBB" or one of
// the CSS 3 colour keywords. Colours are 0x00BBGGRR (red in the low byte); -1 means none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace shellkit {

constexpr std::int32_t kNoColor = -1;

// '#' and at least six more characters: red, green and blue from the three pairs after it, each
// pair 16 x first + second (8 bits kept), a character counting 0-9 for a digit and 10-35 for a
// letter of either case; a pair with any other character gives 255. '#' with fewer than six
// characters keeps `current`. Anything else is a colour keyword (ASCII case ignored) or -1.
std::int32_t parseBackgroundColor(std::u16string_view value, std::int32_t current);

struct NamedColor {
  std::string_view name;  // lower case
  std::int32_t value;     // 0x00BBGGRR
};

// The keyword table, in strictly ascending order of name.
const NamedColor* namedColorsBegin();
const NamedColor* namedColorsEnd();

}  // namespace shellkit
