#include "PluginHost.h"

#include <algorithm>
#include <stdexcept>

namespace setup::testing {

namespace {

std::wstring besideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

template <typename T>
const T* at(HMODULE module, DWORD offset) {
  return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + offset);
}

}  // namespace

LoadedPlugin::LoadedPlugin(const wchar_t* fileName) : module_(LoadLibraryW(besideThisProgram(fileName).c_str())) {
  if (module_ == nullptr) throw std::runtime_error("the plug-in library does not load");
}

LoadedPlugin::~LoadedPlugin() { FreeLibrary(module_); }

Export LoadedPlugin::find(const char* name) const {
  return reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
}

std::vector<std::string> LoadedPlugin::exportedNames() const {
  const auto* dos = at<IMAGE_DOS_HEADER>(module_, 0);
  const auto* nt = at<IMAGE_NT_HEADERS>(module_, static_cast<DWORD>(dos->e_lfanew));
  const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  std::vector<std::string> names;
  if (entry.Size == 0) return names;
  const auto* directory = at<IMAGE_EXPORT_DIRECTORY>(module_, entry.VirtualAddress);
  const auto* nameOffsets = at<DWORD>(module_, directory->AddressOfNames);
  for (DWORD i = 0; i < directory->NumberOfNames; ++i) names.emplace_back(at<char>(module_, nameOffsets[i]));
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace setup::testing
