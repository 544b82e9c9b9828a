#include "UnlockProxies.h"

#include <windows.h>
#include <wininet.h>

#include "FirefoxInstallDirectories.h"
#include "OperaDirectories.h"
#include "PreferenceFiles.h"
#include "ProxyApplication.h"
#include "RuntimeBindings.h"

namespace setup {

namespace {

using InternetSetOptionFunction = BOOL(WINAPI*)(HINTERNET internet, DWORD option, LPVOID buffer, DWORD length);

// Running WinINet clients read the settings again; a refresh without the change notice is not
// asked for.
void announceSettingsChange() {
  static const auto setOption =
      reinterpret_cast<InternetSetOptionFunction>(Quarvo::lookUpSystemFunction(L"wininet.dll", "InternetSetOptionW"));
  if (!setOption) return;
  if (setOption(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0)) {
    setOption(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
  }
}

}  // namespace

void unlockProxies(PluginCall&) {
  Quarvo::proxy::applyProxy(Quarvo::proxy::proxyTextFor(nullptr, 0, nullptr, 0));
  announceSettingsChange();
  for (const std::wstring& directory : firefoxInstallDirectories()) removeFirefoxPreferences(directory);
  for (const std::wstring& directory : operaDirectories()) restoreOperaPreferences(directory);
}

}  // namespace setup
