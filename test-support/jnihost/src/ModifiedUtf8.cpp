#include "jnihost/ModifiedUtf8.h"

#include <cstdint>

namespace jnihost {

namespace {

void appendUnit(std::string& out, char32_t c) {
  if (c != 0 && c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool isContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// One code point or unit decoded from bytes[i...]; `size` is set to the bytes used, or 0 when
// no valid sequence of at most `maxSize` bytes starts there.
char32_t decode(std::string_view bytes, std::size_t i, std::size_t maxSize, std::size_t* size) {
  auto b = [&](std::size_t k) { return static_cast<std::uint8_t>(bytes[i + k]); };
  std::size_t left = bytes.size() - i;
  *size = 0;
  std::uint8_t lead = b(0);
  if (lead < 0x80) {
    *size = 1;
    return lead;
  }
  if ((lead & 0xE0) == 0xC0 && left >= 2 && isContinuation(b(1))) {
    *size = 2;
    return (char32_t(lead & 0x1F) << 6) | (b(1) & 0x3F);
  }
  if ((lead & 0xF0) == 0xE0 && left >= 3 && isContinuation(b(1)) && isContinuation(b(2))) {
    *size = 3;
    return (char32_t(lead & 0x0F) << 12) | (char32_t(b(1) & 0x3F) << 6) | (b(2) & 0x3F);
  }
  if (maxSize >= 4 && (lead & 0xF8) == 0xF0 && left >= 4 && isContinuation(b(1)) &&
      isContinuation(b(2)) && isContinuation(b(3))) {
    *size = 4;
    return (char32_t(lead & 0x07) << 18) | (char32_t(b(1) & 0x3F) << 12) |
           (char32_t(b(2) & 0x3F) << 6) | (b(3) & 0x3F);
  }
  return 0;
}

}  // namespace

std::string toModifiedUtf8(std::u16string_view text) {
  std::string out;
  for (char16_t unit : text) appendUnit(out, unit);
  return out;
}

std::u16string fromModifiedUtf8(std::string_view bytes) {
  std::u16string out;
  for (std::size_t i = 0; i < bytes.size();) {
    std::size_t size = 0;
    char32_t c = decode(bytes, i, 3, &size);
    if (size == 0) {
      out += static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]));
      ++i;
      continue;
    }
    out += static_cast<char16_t>(c);
    i += size;
  }
  return out;
}

std::string toUtf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    bool high = c >= 0xD800 && c < 0xDC00;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    if (c == 0) {
      out += '\0';
      continue;
    }
    appendUnit(out, c);
  }
  return out;
}

std::u16string fromUtf8(std::string_view utf8) {
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t size = 0;
    char32_t c = decode(utf8, i, 4, &size);
    if (size == 0) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    i += size;
    if (c < 0x10000) {
      out += static_cast<char16_t>(c);
      continue;
    }
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
  return out;
}

}  // namespace jnihost
