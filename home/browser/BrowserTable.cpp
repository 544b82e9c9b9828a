#include "BrowserTable.h"

#include "CaseInsensitiveText.h"
#include "ProcessWalk.h"

namespace Quarvo {

const wchar_t* const kBrowserExecutables[] = {
    L"3b.exe",        L"acoobrowser.exe", L"aexplore.exe",  L"amaya.exe",          L"avant.exe",
    L"chrome.exe",    L"chromium.exe",    L"crazy browser.exe", L"dillo.exe",      L"firefox.exe",
    L"flock.exe",     L"iexplore.exe",    L"k-meleon.exe",  L"lynx.exe",           L"maxthon.exe",
    L"midori.exe",    L"mozilla.exe",     L"navigator.exe", L"netscape.exe",       L"opera.exe",
    L"orange_browser.exe", L"phaseout.exe", L"safari.exe",  L"sbrowser.exe",       L"seamonkey.exe",
    L"shenzbrowser.exe", L"sleipnir.exe", L"smartbro.exe",  L"spacetime.exe",      L"woobrowser.exe",
    L"xbbrowser.exe", nullptr};

bool isBrowserExecutable(const wchar_t* exeFile) noexcept {
  if (exeFile == nullptr) return false;
  for (const wchar_t* const* browser = kBrowserExecutables; *browser != nullptr; ++browser) {
    if (equalIgnoringCase(exeFile, *browser)) return true;
  }
  return false;
}

bool isBrowserRunning(const wchar_t* user) noexcept {
  bool found = false;
  forEachProcess(0, [&](const ProcessInfo& info) {
    if (info.immersive) return true;
    if (user != nullptr && !equalIgnoringCase(info.user, user)) return true;
    found = isBrowserExecutable(info.exeFile);
    return !found;
  });
  return found;
}

}  // namespace Quarvo
