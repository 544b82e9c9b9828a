// A connection-settings registry value (one per dial-up or LAN connection, under a user's
// Internet Settings\Connections) and its rewrite for a proxy. The value comes from the registry,
// where any program can write anything, so its layout is checked before any byte is trusted.
//
// Layout, little-endian: leading word, change counter, flags (bit 0 direct, bit 1 proxy, bit 2
// configuration script, bit 3 automatic detection), proxy length P and text, bypass length B and
// text, then the remaining settings, copied unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace Quarvo {
namespace proxy {

// Values of this size or more are neither rewritten nor written.
constexpr std::size_t kConnectionValueLimit = 1024;

// The value to write for `proxy` (8-bit text; empty: the proxy is removed), or nothing when the
// value is to be left as it is: it already carries this proxy, its stored lengths run past its
// end, it is shorter than its fixed fields, or either it or its rewrite reaches the limit.
std::optional<std::vector<std::uint8_t>> rewriteConnectionValue(const std::uint8_t* value, std::size_t size,
                                                                std::string_view proxy);

}  // namespace proxy
}  // namespace Quarvo
