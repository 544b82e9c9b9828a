#include "MachineIdentifier.h"

namespace Quarvo {
namespace os {

namespace {

struct ByteMix {
  size_t first;
  size_t second;
};

// The product-id bytes combined into each identifier byte, in output order. The service relies
// on the identifier staying the same from one version to the next, so this never changes.
constexpr ByteMix kMix[] = {{11, 9}, {8, 5}, {13, 2}, {7, 6}, {14, 10}, {12, 4}};
constexpr size_t kBytesRead = 15;

}  // namespace

std::optional<MachineIdentifier> identifierFromProductId(const uint8_t* productId, size_t size) {
  if (size < kBytesRead) return std::nullopt;
  MachineIdentifier identifier{};
  for (size_t i = 0; i < identifier.size(); ++i) {
    identifier[i] = static_cast<uint8_t>(productId[kMix[i].first] ^ productId[kMix[i].second]);
  }
  return identifier;
}

}  // namespace os
}  // namespace Quarvo
