#include "FwpBinding.h"

#include "ScopedModule.h"

namespace setup {

namespace {

// Windows 7 is version 0x601; its platform lacks what the filters need, so it counts as absent.
constexpr DWORD kNewestVersionWithoutPlatform = 0x601;

// major * 256 + minor on the NT platform, 0 elsewhere.
DWORD systemVersion() noexcept {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExW(&info) || info.dwPlatformId != VER_PLATFORM_WIN32_NT) return 0;
  return info.dwMajorVersion * 256 + info.dwMinorVersion;
}

template <class Function>
bool lookUp(HMODULE library, const char* name, Function& slot) noexcept {
  slot = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  return slot != nullptr;
}

}  // namespace

FwpBinding::FwpBinding() noexcept {
  if (systemVersion() <= kNewestVersionWithoutPlatform) return;
  Quarvo::ScopedModule library(LoadLibraryW(L"FWPUCLNT.DLL"));
  if (!library || !bind(library.get())) {
    functions_ = {};
    return;
  }
  // Kept loaded for good: freeing it while the plug-in unloads would run under the loader lock.
  library.release();
  present_ = true;
}

bool FwpBinding::bind(HMODULE library) noexcept {
  return lookUp(library, "FwpmEngineOpen0", functions_.engineOpen) &&
         lookUp(library, "FwpmEngineClose0", functions_.engineClose) &&
         lookUp(library, "FwpmTransactionBegin0", functions_.transactionBegin) &&
         lookUp(library, "FwpmTransactionCommit0", functions_.transactionCommit) &&
         lookUp(library, "FwpmTransactionAbort0", functions_.transactionAbort) &&
         lookUp(library, "FwpmProviderAdd0", functions_.providerAdd) &&
         lookUp(library, "FwpmProviderDeleteByKey0", functions_.providerDeleteByKey) &&
         lookUp(library, "FwpmFilterAdd0", functions_.filterAdd) &&
         lookUp(library, "FwpmFilterDeleteByKey0", functions_.filterDeleteByKey);
}

}  // namespace setup
