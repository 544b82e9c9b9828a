// Registry string data as the registry returns it: UTF-16LE units, not always NUL-terminated,
// possibly of odd length.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Quarvo {
namespace os {

// Decodes the text of `size` data bytes into `units` (room for `capacity`): it ends at the
// first U+0000, at the end of the data or when `units` is full; a last odd byte is dropped.
// Returns the number of units written.
size_t registryText(const uint8_t* data, size_t size, uint16_t* units, size_t capacity);

}  // namespace os
}  // namespace Quarvo
