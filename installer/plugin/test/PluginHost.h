// Test-only: a plug-in library as the installer holds it, loaded by name with its exports found
// by GetProcAddress; InstallerState holds what each call is handed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "InstallerState.h"

namespace setup::testing {

// A library beside the test program, freed when the object goes; throws when it does not load.
class LoadedPlugin {
 public:
  explicit LoadedPlugin(const wchar_t* fileName = L"setupplugin.dll");
  ~LoadedPlugin();
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  HMODULE module() const { return module_; }
  Export find(const char* name) const;
  // The names in the library's export directory.
  std::vector<std::string> exportedNames() const;

 private:
  HMODULE module_;
};

}  // namespace setup::testing
