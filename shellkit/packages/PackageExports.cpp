// ShellKit.dll's package-catalogue exports, bound by name by its clients.
#include <cstdint>

#include "PackageCatalogue.h"

extern "C" {

bool __stdcall PackageFindAll(std::int32_t flags, Quarvo::PackageCallback callback, void* context) {
  using namespace shellkit::packages;
  return findAllPackages(systemPackagePlatform(), flags, callback, context);
}

bool __stdcall PackageIsAvailable(const wchar_t* familyName) {
  using namespace shellkit::packages;
  return packageIsAvailable(systemPackagePlatform(), familyName);
}

}  // extern "C"
