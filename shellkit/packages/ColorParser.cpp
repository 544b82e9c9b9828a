#include "ColorParser.h"

#include <algorithm>
#include <iterator>

namespace shellkit {

namespace {

// The table is written as CSS writes colours (0xRRGGBB) and kept in our layout.
constexpr std::int32_t fromRgb(std::uint32_t rgb) {
  return static_cast<std::int32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

constexpr NamedColor kNamedColors[] = {
    {"aliceblue", fromRgb(0xF0F8FF)},
    {"antiquewhite", fromRgb(0xFAEBD7)},
    {"aqua", fromRgb(0x00FFFF)},
    {"aquamarine", fromRgb(0x7FFFD4)},
    {"azure", fromRgb(0xF0FFFF)},
    {"beige", fromRgb(0xF5F5DC)},
    {"bisque", fromRgb(0xFFE4C4)},
    {"black", fromRgb(0x000000)},
    {"blanchedalmond", fromRgb(0xFFEBCD)},
    {"blue", fromRgb(0x0000FF)},
    {"blueviolet", fromRgb(0x8A2BE2)},
    {"brown", fromRgb(0xA52A2A)},
    {"burlywood", fromRgb(0xDEB887)},
    {"cadetblue", fromRgb(0x5F9EA0)},
    {"chartreuse", fromRgb(0x7FFF00)},
    {"chocolate", fromRgb(0xD2691E)},
    {"coral", fromRgb(0xFF7F50)},
    {"cornflowerblue", fromRgb(0x6495ED)},
    {"cornsilk", fromRgb(0xFFF8DC)},
    {"crimson", fromRgb(0xDC143C)},
    {"cyan", fromRgb(0x00FFFF)},
    {"darkblue", fromRgb(0x00008B)},
    {"darkcyan", fromRgb(0x008B8B)},
    {"darkgoldenrod", fromRgb(0xB8860B)},
    {"darkgray", fromRgb(0xA9A9A9)},
    {"darkgreen", fromRgb(0x006400)},
    {"darkgrey", fromRgb(0xA9A9A9)},
    {"darkkhaki", fromRgb(0xBDB76B)},
    {"darkmagenta", fromRgb(0x8B008B)},
    {"darkolivegreen", fromRgb(0x556B2F)},
    {"darkorange", fromRgb(0xFF8C00)},
    {"darkorchid", fromRgb(0x9932CC)},
    {"darkred", fromRgb(0x8B0000)},
    {"darksalmon", fromRgb(0xE9967A)},
    {"darkseagreen", fromRgb(0x8FBC8F)},
    {"darkslateblue", fromRgb(0x483D8B)},
    {"darkslategray", fromRgb(0x2F4F4F)},
    {"darkslategrey", fromRgb(0x2F4F4F)},
    {"darkturquoise", fromRgb(0x00CED1)},
    {"darkviolet", fromRgb(0x9400D3)},
    {"deeppink", fromRgb(0xFF1493)},
    {"deepskyblue", fromRgb(0x00BFFF)},
    {"dimgray", fromRgb(0x696969)},
    {"dimgrey", fromRgb(0x696969)},
    {"dodgerblue", fromRgb(0x1E90FF)},
    {"firebrick", fromRgb(0xB22222)},
    {"floralwhite", fromRgb(0xFFFAF0)},
    {"forestgreen", fromRgb(0x228B22)},
    {"fuchsia", fromRgb(0xFF00FF)},
    {"gainsboro", fromRgb(0xDCDCDC)},
    {"ghostwhite", fromRgb(0xF8F8FF)},
    {"gold", fromRgb(0xFFD700)},
    {"goldenrod", fromRgb(0xDAA520)},
    {"gray", fromRgb(0x808080)},
    {"green", fromRgb(0x008000)},
    {"greenyellow", fromRgb(0xADFF2F)},
    {"grey", fromRgb(0x808080)},
    {"honeydew", fromRgb(0xF0FFF0)},
    {"hotpink", fromRgb(0xFF69B4)},
    {"indianred", fromRgb(0xCD5C5C)},
    {"indigo", fromRgb(0x4B0082)},
    {"ivory", fromRgb(0xFFFFF0)},
    {"khaki", fromRgb(0xF0E68C)},
    {"lavender", fromRgb(0xE6E6FA)},
    {"lavenderblush", fromRgb(0xFFF0F5)},
    {"lawngreen", fromRgb(0x7CFC00)},
    {"lemonchiffon", fromRgb(0xFFFACD)},
    {"lightblue", fromRgb(0xADD8E6)},
    {"lightcoral", fromRgb(0xF08080)},
    {"lightcyan", fromRgb(0xE0FFFF)},
    {"lightgoldenrodyellow", fromRgb(0xFAFAD2)},
    {"lightgray", fromRgb(0xD3D3D3)},
    {"lightgreen", fromRgb(0x90EE90)},
    {"lightgrey", fromRgb(0xD3D3D3)},
    {"lightpink", fromRgb(0xFFB6C1)},
    {"lightsalmon", fromRgb(0xFFA07A)},
    {"lightseagreen", fromRgb(0x20B2AA)},
    {"lightskyblue", fromRgb(0x87CEFA)},
    {"lightslategray", fromRgb(0x778899)},
    {"lightslategrey", fromRgb(0x778899)},
    {"lightsteelblue", fromRgb(0xB0C4DE)},
    {"lightyellow", fromRgb(0xFFFFE0)},
    {"lime", fromRgb(0x00FF00)},
    {"limegreen", fromRgb(0x32CD32)},
    {"linen", fromRgb(0xFAF0E6)},
    {"magenta", fromRgb(0xFF00FF)},
    {"maroon", fromRgb(0x800000)},
    {"mediumaquamarine", fromRgb(0x66CDAA)},
    {"mediumblue", fromRgb(0x0000CD)},
    {"mediumorchid", fromRgb(0xBA55D3)},
    {"mediumpurple", fromRgb(0x9370DB)},
    {"mediumseagreen", fromRgb(0x3CB371)},
    {"mediumslateblue", fromRgb(0x7B68EE)},
    {"mediumspringgreen", fromRgb(0x00FA9A)},
    {"mediumturquoise", fromRgb(0x48D1CC)},
    {"mediumvioletred", fromRgb(0xC71585)},
    {"midnightblue", fromRgb(0x191970)},
    {"mintcream", fromRgb(0xF5FFFA)},
    {"mistyrose", fromRgb(0xFFE4E1)},
    {"moccasin", fromRgb(0xFFE4B5)},
    {"navajowhite", fromRgb(0xFFDEAD)},
    {"navy", fromRgb(0x000080)},
    {"oldlace", fromRgb(0xFDF5E6)},
    {"olive", fromRgb(0x808000)},
    {"olivedrab", fromRgb(0x6B8E23)},
    {"orange", fromRgb(0xFFA500)},
    {"orangered", fromRgb(0xFF4500)},
    {"orchid", fromRgb(0xDA70D6)},
    {"palegoldenrod", fromRgb(0xEEE8AA)},
    {"palegreen", fromRgb(0x98FB98)},
    {"paleturquoise", fromRgb(0xAFEEEE)},
    {"palevioletred", fromRgb(0xDB7093)},
    {"papayawhip", fromRgb(0xFFEFD5)},
    {"peachpuff", fromRgb(0xFFDAB9)},
    {"peru", fromRgb(0xCD853F)},
    {"pink", fromRgb(0xFFC0CB)},
    {"plum", fromRgb(0xDDA0DD)},
    {"powderblue", fromRgb(0xB0E0E6)},
    {"purple", fromRgb(0x800080)},
    {"red", fromRgb(0xFF0000)},
    {"rosybrown", fromRgb(0xBC8F8F)},
    {"royalblue", fromRgb(0x4169E1)},
    {"saddlebrown", fromRgb(0x8B4513)},
    {"salmon", fromRgb(0xFA8072)},
    {"sandybrown", fromRgb(0xF4A460)},
    {"seagreen", fromRgb(0x2E8B57)},
    {"seashell", fromRgb(0xFFF5EE)},
    {"sienna", fromRgb(0xA0522D)},
    {"silver", fromRgb(0xC0C0C0)},
    {"skyblue", fromRgb(0x87CEEB)},
    {"slateblue", fromRgb(0x6A5ACD)},
    {"slategray", fromRgb(0x708090)},
    {"slategrey", fromRgb(0x708090)},
    {"snow", fromRgb(0xFFFAFA)},
    {"springgreen", fromRgb(0x00FF7F)},
    {"steelblue", fromRgb(0x4682B4)},
    {"tan", fromRgb(0xD2B48C)},
    {"teal", fromRgb(0x008080)},
    {"thistle", fromRgb(0xD8BFD8)},
    {"tomato", fromRgb(0xFF6347)},
    {"turquoise", fromRgb(0x40E0D0)},
    {"violet", fromRgb(0xEE82EE)},
    {"wheat", fromRgb(0xF5DEB3)},
    {"white", fromRgb(0xFFFFFF)},
    {"whitesmoke", fromRgb(0xF5F5F5)},
    {"yellow", fromRgb(0xFFFF00)},
    {"yellowgreen", fromRgb(0x9ACD32)},
};

// No keyword is longer; a longer value cannot name one.
constexpr std::size_t kLongestName = 20;

// A character's worth in a colour pair, or -1 for one that spoils the pair.
int characterValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'z') return c - u'a' + 10;
  if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
  return -1;
}

std::int32_t pairValue(char16_t first, char16_t second) {
  int high = characterValue(first);
  int low = characterValue(second);
  if (high < 0 || low < 0) return 0xFF;
  return (16 * high + low) & 0xFF;
}

std::int32_t namedColor(std::u16string_view value) {
  if (value.empty() || value.size() > kLongestName) return kNoColor;
  char folded[kLongestName];
  for (std::size_t i = 0; i < value.size(); ++i) {
    char16_t c = value[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c < u'a' || c > u'z') return kNoColor;  // every keyword is plain lower-case letters
    folded[i] = static_cast<char>(c);
  }
  std::string_view name(folded, value.size());
  auto found = std::lower_bound(std::begin(kNamedColors), std::end(kNamedColors), name,
                                [](const NamedColor& entry, std::string_view key) { return entry.name < key; });
  if (found == std::end(kNamedColors) || found->name != name) return kNoColor;
  return found->value;
}

}  // namespace

std::int32_t parseBackgroundColor(std::u16string_view value, std::int32_t current) {
  if (!value.empty() && value.front() == u'#') {
    if (value.size() < 7) return current;
    return pairValue(value[1], value[2]) | pairValue(value[3], value[4]) << 8 | pairValue(value[5], value[6]) << 16;
  }
  return namedColor(value);
}

const NamedColor* namedColorsBegin() { return std::begin(kNamedColors); }
const NamedColor* namedColorsEnd() { return std::end(kNamedColors); }

}  // namespace shellkit
