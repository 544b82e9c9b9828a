#include "RegistryText.h"

namespace Quarvo {
namespace os {

size_t registryText(const uint8_t* data, size_t size, uint16_t* units, size_t capacity) {
  const size_t available = size / 2;
  const size_t limit = available < capacity ? available : capacity;
  size_t count = 0;
  for (; count < limit; ++count) {
    const uint16_t unit = static_cast<uint16_t>(data[2 * count] | (data[2 * count + 1] << 8));
    if (unit == 0) break;
    units[count] = unit;
  }
  return count;
}

}  // namespace os
}  // namespace Quarvo
