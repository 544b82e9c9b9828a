#include "ProxyText.h"

namespace Quarvo {
namespace proxy {

namespace {

constexpr std::size_t kHostLimit = 256;       // UTF-8 bytes; longer hosts are left out
constexpr std::size_t kHttpPartLimit = 255;   // what the 256-character formatting keeps whole
constexpr std::size_t kHttpsPartLimit = 254;  // what the 255-character formatting keeps whole
constexpr std::size_t kWideLimit = 255;       // the UTF-16 copy, without its terminator

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
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

std::u16string utf16Of(const std::string& text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    char32_t c = byte(0);
    std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (byte(k) & 0x3F);
    if (length == 2) c &= 0x7FF;
    if (length == 3) c &= 0xFFFF;
    if (length == 4) c &= 0x1FFFFF;
    i += length;
    if (c < 0x10000) {
      out += static_cast<char16_t>(c);
    } else {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return out;
}

enum class Part { Absent, Formed, Refused };

// One "scheme=host:port" part: absent for a null or empty host or one left out for length,
// refused when the formatting would cut it.
Part formPart(const char* scheme, const std::u16string* host, std::int32_t port, std::size_t limit, bool* leftOut,
              std::string* out) {
  if (host == nullptr || host->empty()) return Part::Absent;
  std::string narrowHost = utf8Of(*host);
  if (narrowHost.size() >= kHostLimit) {
    *leftOut = true;
    return Part::Absent;
  }
  std::string part = std::string(scheme) + "=" + narrowHost + ":" + std::to_string(port);
  if (part.size() > limit) return Part::Refused;
  *out = part;
  return Part::Formed;
}

}  // namespace

std::string utf8Of(const std::u16string& text) {
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
    appendUtf8(out, c);
  }
  return out;
}

ProxyText proxyTextFor(const std::u16string* httpHost, std::int32_t httpPort, const std::u16string* httpsHost,
                       std::int32_t httpsPort) {
  ProxyText result;
  bool leftOut = false;
  std::string http;
  std::string https;
  Part first = formPart("http", httpHost, httpPort, kHttpPartLimit, &leftOut, &http);
  Part second = formPart("https", httpsHost, httpsPort, kHttpsPartLimit, &leftOut, &https);
  if (first == Part::Refused || second == Part::Refused) return result;
  if (first == Part::Absent && second == Part::Absent && leftOut) return result;
  result.narrow = http;
  if (!https.empty()) result.narrow += (http.empty() ? "" : ";") + https;
  result.wide = utf16Of(result.narrow);
  if (result.wide.size() > kWideLimit) return ProxyText{};
  result.accepted = true;
  return result;
}

}  // namespace proxy
}  // namespace Quarvo
