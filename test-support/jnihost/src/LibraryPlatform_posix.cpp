#include <dlfcn.h>

#include "LibraryPlatform.h"

namespace jnihost {
namespace platform {

void* openLibrary(const std::string& utf8Path, std::string* error) {
  void* handle = dlopen(utf8Path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr && error != nullptr) *error = dlerror();
  return handle;
}

void* findSymbol(void* library, const std::string& name) { return dlsym(library, name.c_str()); }

void closeLibrary(void* library) { dlclose(library); }

}  // namespace platform
}  // namespace jnihost
