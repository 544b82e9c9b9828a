// The installer's KillProc action: ends every process with a given executable name through WMI.
#pragma once

#include <memory>

#include "PluginCall.h"
#include "ProcessCandidates.h"

namespace setup {

// Pops the process name (at most 511 characters) and sets variable 10 to the number of
// processes that acknowledged termination, or to a negative status: WMI's when it cannot be
// reached or the terminate request cannot be prepared, E_INVALIDARG when nothing could be
// popped (then nothing is ended). The installer's thread is in a COM apartment already.
void killProcesses(PluginCall& call);

// The same over other candidates than WMI's (tests).
using OpenProcessCandidates = HRESULT (*)(std::unique_ptr<ProcessCandidates>* candidates);
void killProcesses(PluginCall& call, OpenProcessCandidates open);

}  // namespace setup
