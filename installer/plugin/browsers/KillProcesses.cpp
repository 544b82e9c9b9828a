#include "KillProcesses.h"

#include <algorithm>
#include <string>

#include "WmiProcessCandidates.h"

namespace setup {

namespace {

constexpr int kResultVariable = 10;
constexpr std::size_t kNameLimit = 511;

}  // namespace

void killProcesses(PluginCall& call, OpenProcessCandidates open) {
  std::u16string name;
  if (call.pop(name) != kSuccess) {
    call.setVariable(kResultVariable, decimalText(static_cast<int>(E_INVALIDARG)));
    return;
  }
  name.resize(std::min(name.size(), kNameLimit));
  std::unique_ptr<ProcessCandidates> candidates;
  HRESULT status = open(&candidates);
  if (SUCCEEDED(status) && !candidates) status = E_UNEXPECTED;
  if (FAILED(status)) {
    call.setVariable(kResultVariable, decimalText(static_cast<int>(status)));
    return;
  }
  call.setVariable(kResultVariable, decimalText(terminateNamed(name, *candidates)));
}

void killProcesses(PluginCall& call) { killProcesses(call, openWmiProcessCandidates); }

}  // namespace setup
