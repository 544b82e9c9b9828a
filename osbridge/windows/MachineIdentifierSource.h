// Where this machine's identifier comes from on Windows.
#pragma once

#include <optional>

#include "MachineIdentifier.h"

namespace Quarvo {
namespace os {

// The first network adapter's hardware address; without one, the identifier derived from the
// system's DigitalProductId. None when neither can be read.
std::optional<MachineIdentifier> readMachineIdentifier();

}  // namespace os
}  // namespace Quarvo
