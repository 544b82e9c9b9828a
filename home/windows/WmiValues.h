// Reading WMI objects: the two properties every process event needs. Nothing here throws: a
// value that cannot be read or converted is an error status.
#pragma once

#include <wbemidl.h>

#include <cstdint>

#include "ComRef.h"
#include "ScopedComValues.h"

namespace Quarvo {

// The process object an event carries as "TargetInstance", whatever the VARIANT holds.
HRESULT targetInstance(IWbemClassObject* event, shellkit::ComRef<IWbemClassObject>* process);
// "ProcessId" as a 32-bit unsigned value, converted when WMI gives another type.
HRESULT processIdOf(IWbemClassObject* process, std::uint32_t* processId);

}  // namespace Quarvo
