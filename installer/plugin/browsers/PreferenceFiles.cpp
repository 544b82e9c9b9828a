#include "PreferenceFiles.h"

#include <windows.h>

namespace setup {

namespace {

bool deleteFile(const std::wstring& path) { return DeleteFileW(path.c_str()) != FALSE; }

}  // namespace

void removeFirefoxPreferences(const std::wstring& directory) {
  if (deleteFile(directory + L"\\defaults\\pref\\custom.js")) deleteFile(directory + L"\\locked.prefs");
  if (deleteFile(directory + L"\\defaults\\pref\\parentalcontrol.js")) deleteFile(directory + L"\\parentalcontrol.cfg");
}

void restoreOperaPreferences(const std::wstring& directory) {
  const std::wstring fixed = directory + L"\\operaprefs_fixed.ini";
  if (deleteFile(fixed)) MoveFileW((fixed + L".orig").c_str(), fixed.c_str());
}

}  // namespace setup
