// The proxy text written for every user and browser policy: "http=HOST:PORT", "https=HOST:PORT"
// or both joined by ";", as 8-bit (UTF-8) text for connection values and as UTF-16 text of at
// most 255 characters for text values. A text that one of those stores could hold only cut is
// refused, so no store ever points at a wrong host or port.
#pragma once

#include <cstdint>
#include <string>

namespace Quarvo {
namespace proxy {

struct ProxyText {
  bool accepted = false;  // false: change nothing and report failure
  std::string narrow;     // empty: the proxy is removed
  std::u16string wide;
};

// Hosts as the service passes them (null pointer: a null String). A host of 256 UTF-8 bytes or
// more is left out; a call whose non-empty hosts are all left out is refused rather than taken
// as a removal.
ProxyText proxyTextFor(const std::u16string* httpHost, std::int32_t httpPort, const std::u16string* httpsHost,
                       std::int32_t httpsPort);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD, as the system's conversion does.
std::string utf8Of(const std::u16string& text);

}  // namespace proxy
}  // namespace Quarvo
