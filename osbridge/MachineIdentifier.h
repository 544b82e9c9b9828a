// The six bytes that identify this machine to the service.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace Quarvo {
namespace os {

using MachineIdentifier = std::array<uint8_t, 6>;

// The identifier derived from a DigitalProductId registry value, for machines without a
// network adapter; none when the value is shorter than the 15 bytes the derivation reads.
std::optional<MachineIdentifier> identifierFromProductId(const uint8_t* productId, size_t size);

}  // namespace os
}  // namespace Quarvo
