#include "SystemLibrary.h"

#include <windows.h>

#include <string>

#include "ScopedModule.h"

namespace setup {

void* systemFunction(const wchar_t* library, const char* name) noexcept {
  wchar_t directory[MAX_PATH];
  const UINT length = GetSystemDirectoryW(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(directory, length) + L"\\" + library;
  Quarvo::ScopedModule module(LoadLibraryW(path.c_str()));
  if (!module) return nullptr;
  void* function = reinterpret_cast<void*>(GetProcAddress(module.get(), name));
  if (function) module.release();
  return function;
}

}  // namespace setup
