#include <windows.h>

#include "LibraryPlatform.h"
#include "jnihost/ModifiedUtf8.h"

namespace jnihost {
namespace platform {

void* openLibrary(const std::string& utf8Path, std::string* error) {
  std::u16string wide = fromUtf8(utf8Path);
  HMODULE module = LoadLibraryW(reinterpret_cast<const wchar_t*>(wide.c_str()));
  if (module == nullptr && error != nullptr) {
    *error = "LoadLibraryW failed with " + std::to_string(GetLastError());
  }
  return reinterpret_cast<void*>(module);
}

void* findSymbol(void* library, const std::string& name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name.c_str()));
}

void closeLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

}  // namespace platform
}  // namespace jnihost
