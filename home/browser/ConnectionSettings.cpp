#include "ConnectionSettings.h"

namespace Quarvo {
namespace proxy {

namespace {

constexpr std::size_t kFixedFields = 20;  // four words, then the bypass length after P bytes
constexpr std::string_view kBypass = "<local>";
constexpr std::uint32_t kDirectAndProxy = 3;
constexpr std::uint32_t kDirectAndDetect = 9;
constexpr std::uint32_t kUseProxy = 2;

std::uint32_t word(const std::uint8_t* at) {
  return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

void putWord(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putText(std::vector<std::uint8_t>& out, std::string_view text) {
  putWord(out, static_cast<std::uint32_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
}

// Where the stored fields lie; false when a stored length runs past the value's end. Lengths
// are compared with what is left, never added, so no sum can wrap (32-bit builds included).
struct Layout {
  std::size_t proxyLength = 0;
  std::size_t bypassLength = 0;
  std::size_t restOffset = 0;
};

bool readLayout(const std::uint8_t* value, std::size_t size, Layout* layout) {
  if (size < kFixedFields) return false;
  std::size_t left = size - 16;
  std::uint32_t proxyLength = word(value + 12);
  if (proxyLength > left - 4) return false;
  layout->proxyLength = proxyLength;
  left -= proxyLength + 4;
  std::uint32_t bypassLength = word(value + 16 + proxyLength);
  if (bypassLength > left) return false;
  layout->bypassLength = bypassLength;
  layout->restOffset = 20 + layout->proxyLength + bypassLength;
  return true;
}

bool carries(const std::uint8_t* value, const Layout& layout, std::string_view proxy) {
  std::string_view stored(reinterpret_cast<const char*>(value + 16), layout.proxyLength);
  std::string_view bypass(reinterpret_cast<const char*>(value + 20 + layout.proxyLength), layout.bypassLength);
  return stored == proxy && bypass == kBypass && (word(value + 8) & kUseProxy) != 0;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> rewriteConnectionValue(const std::uint8_t* value, std::size_t size,
                                                                std::string_view proxy) {
  Layout layout;
  if (value == nullptr || size >= kConnectionValueLimit || !readLayout(value, size, &layout)) return std::nullopt;
  if (carries(value, layout, proxy)) return std::nullopt;
  bool setting = !proxy.empty();
  std::string_view bypass = setting ? kBypass : std::string_view();
  std::size_t rest = size - layout.restOffset;
  std::size_t newSize = kFixedFields + proxy.size() + bypass.size() + rest;
  if (proxy.size() >= kConnectionValueLimit || newSize >= kConnectionValueLimit) return std::nullopt;

  std::vector<std::uint8_t> out;
  out.reserve(newSize);
  out.insert(out.end(), value, value + 4);
  putWord(out, word(value + 4) + 1);
  putWord(out, (word(value + 8) & ~std::uint32_t{0xF}) | (setting ? kDirectAndProxy : kDirectAndDetect));
  putText(out, proxy);
  putText(out, bypass);
  out.insert(out.end(), value + layout.restOffset, value + size);
  return out;
}

}  // namespace proxy
}  // namespace Quarvo
