// Ending a process through WMI's Win32_Process "Terminate" method: the method's input (Reason 0)
// is prepared once and can serve any number of calls. Used by the home bridge's monitor and by
// the installer plug-in's KillProc.
#pragma once

#include <wbemidl.h>

#include "ComRef.h"

namespace Quarvo {

// A WMI status as the HRESULT it is (the enumeration's constants overflow a signed long).
constexpr HRESULT wmiStatus(WBEMSTATUS status) { return static_cast<HRESULT>(static_cast<unsigned long>(status)); }

// The input for "Terminate" with "Reason" 0, from the Win32_Process class of `services`.
HRESULT prepareTerminateInput(IWbemServices* services, shellkit::ComRef<IWbemClassObject>* input);

// Runs "Terminate" on the object at `path`. Succeeds only when the method ran and its
// "ReturnValue" reads as 0: a refusal reported in the value (access denied: 2) is a failure.
HRESULT terminateAt(IWbemServices* services, BSTR path, IWbemClassObject* input);

}  // namespace Quarvo
