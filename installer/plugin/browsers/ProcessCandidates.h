// The processes KillProc looks at, one at a time, and the means to end the current one: WMI's
// Win32_Process objects in the plug-in, a scripted list in tests.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace setup {

class ProcessCandidates {
 public:
  virtual ~ProcessCandidates() = default;

  // Moves to the next process; false when none is left.
  virtual bool next() = 0;
  // The current process's caption (its executable file name); nothing when it has none.
  virtual std::optional<std::u16string> caption() = 0;
  // Makes what the terminate request needs; asked once, before the first request.
  virtual HRESULT prepareTermination() = 0;
  // Asks the current process to end; true when it acknowledged with return value 0.
  virtual bool terminate() = 0;
};

// Ends every process whose caption is `name`, ignoring case. The number that acknowledged, or
// the (negative) status of a failed preparation, which ends the walk.
int terminateNamed(const std::u16string& name, ProcessCandidates& candidates);

}  // namespace setup
