#include "BrowserRunning.h"

#include <cstdint>
#include <string>

#include "BrowserTable.h"
#include "CaseInsensitiveText.h"
#include "ConsoleUser.h"
#include "ProcessWalk.h"

namespace setup {

namespace {

constexpr int kStatusVariable = 10;
constexpr int kAnswerVariable = 11;

}  // namespace

void browserRunning(PluginCall& call) {
  call.setVariable(kAnswerVariable, u"-1");
  const std::wstring user = consoleUserName();
  bool found = false;
  // The home bridge's browser test; its walk status is what the installer reports.
  const std::uint32_t status = Quarvo::forEachProcess(0, [&](const Quarvo::ProcessInfo& info) {
    if (info.immersive) return true;
    if (!user.empty() && !Quarvo::equalIgnoringCase(info.user, user.c_str())) return true;
    found = Quarvo::isBrowserExecutable(info.exeFile);
    return !found;
  });
  call.setVariable(kStatusVariable, decimalText(static_cast<int>(status)));
  if (status == 0) call.setVariable(kAnswerVariable, found ? u"1" : u"0");
}

}  // namespace setup
