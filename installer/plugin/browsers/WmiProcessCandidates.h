// KillProc's candidates through WMI: every Win32_Process of ROOT\CIMV2, ended by its
// "Terminate" method.
#pragma once

#include <wbemidl.h>

#include <memory>

#include "ProcessCandidates.h"

namespace setup {

// Sets the process's COM security (the answer is ignored: the installer may have set it),
// connects to ROOT\CIMV2 and starts the query over all processes. The calling thread must be in
// a COM apartment. On failure the status and no candidates.
HRESULT openWmiProcessCandidates(std::unique_ptr<ProcessCandidates>* candidates);

}  // namespace setup
