// The loader's one OS seam: LibraryPlatform_win.cpp or LibraryPlatform_posix.cpp.
#pragma once

#include <string>

namespace jnihost {
namespace platform {

void* openLibrary(const std::string& utf8Path, std::string* error);
void* findSymbol(void* library, const std::string& name);
void closeLibrary(void* library);

}  // namespace platform
}  // namespace jnihost
