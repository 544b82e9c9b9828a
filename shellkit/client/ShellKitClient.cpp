// The ShellKit loader (see ShellKitClient.h).
#include "ShellKitClient.h"

#include <shlwapi.h>
#include <windows.h>

#include <memory>
#include <string>

namespace Quarvo {

namespace {

constexpr size_t kPathUnits = 512;

// The folder of the client's own module, with its trailing separator; empty when the path
// does not fit 512 units. Computed once.
const std::wstring& ownFolder() {
  static const std::wstring folder = [] {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ownFolder), &self);
    wchar_t path[kPathUnits];
    DWORD length = GetModuleFileNameW(self, path, kPathUnits);
    if (length == 0 || length >= kPathUnits) return std::wstring();
    std::wstring full(path, length);
    size_t cut = full.find_last_of(L"\\/");
    return cut == std::wstring::npos ? full : full.substr(0, cut + 1);
  }();
  return folder;
}

// PathAppendW writes into a MAX_PATH buffer; candidates longer than that take a heap
// buffer of the needed size.
HMODULE tryLoad(const std::wstring& base, const wchar_t* entry, const wchar_t* name) {
  size_t needed = base.size() + (entry ? wcslen(entry) : 0) + wcslen(name) + 3;
  std::unique_ptr<wchar_t[]> heap;
  wchar_t stack[kPathUnits];
  wchar_t* candidate = stack;
  if (needed > kPathUnits) {
    heap.reset(new wchar_t[needed]);
    candidate = heap.get();
  }
  wcscpy(candidate, base.c_str());
  if (entry) PathAppendW(candidate, entry);
  PathAppendW(candidate, name);
  return LoadLibraryW(candidate);
}

}  // namespace

PDLL::~PDLL() {
  if (module_) FreeLibrary(module_);
}

HMODULE loadLibraryFromSearchPath(const wchar_t* name) {
  for (const wchar_t* const* entry = shellKitSearchPath(); *entry; ++entry) {
    if (**entry == L'\0') continue;
    HMODULE module = nullptr;
    if (PathIsRelativeW(*entry)) {
      if (ownFolder().empty()) continue;
      module = tryLoad(ownFolder(), *entry, name);
    } else {
      module = tryLoad(std::wstring(*entry), nullptr, name);
    }
    if (module) return module;
  }
  return nullptr;
}

ShellKit::ShellKit() {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  bool wanted = GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
                (version.dwMajorVersion * 256 + version.dwMinorVersion) >= 0x602;
  // No "cannot find the disk" dialogs while probing the folders.
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  if (wanted) module_ = loadLibraryFromSearchPath(L"ShellKit.dll");
  if (previous != SEM_FAILCRITICALERRORS) SetErrorMode(previous);
}

void* ShellKit::lookUp(const char* name) {
  ++lookups_;
  return reinterpret_cast<void*>(GetProcAddress(module_, name));
}

ShellKit& ShellKit::shared() {
  static ShellKit instance;
  return instance;
}

namespace {
// Built during static initialisation, as the clients expect; freed at exit.
struct LoadEarly {
  LoadEarly() { ShellKit::shared(); }
} loadEarly;
}  // namespace

}  // namespace Quarvo
