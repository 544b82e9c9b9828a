#include "OperaDirectories.h"

#include <windows.h>

namespace setup {

std::vector<std::wstring> operaDirectories() {
  std::vector<std::wstring> directories;
  wchar_t path[MAX_PATH];
  UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) directories.emplace_back(path, length);
  length = GetWindowsDirectoryW(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return directories;
  std::wstring sysnative = std::wstring(path, length) + L"\\Sysnative";
  if (sysnative.size() < MAX_PATH) directories.push_back(std::move(sysnative));
  return directories;
}

}  // namespace setup
