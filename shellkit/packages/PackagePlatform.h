// What the package catalogue asks of the system, behind one seam: the shipped library fills it
// with the Windows Runtime, the packaging factory and the shell's resource resolver
// (PackagePlatformSystem.cpp); tests fill it with stand-ins, since Wine has neither a package
// manager nor a packaging factory.
#pragma once

#include <objidl.h>
#include <windows.h>

#include "DeploymentInterfaces.h"

namespace shellkit {
namespace packages {

struct PackagePlatform {
  HRESULT (*initialize)();  // RoInitialize(RO_INIT_MULTITHREADED)
  void (*uninitialize)();   // RoUninitialize
  // Windows.Management.Deployment.PackageManager, activated.
  HRESULT (*activatePackageManager)(IPackageManager** manager);
  // SHCreateStreamOnFileW with read access.
  HRESULT (*openManifest)(const wchar_t* path, IStream** stream);
  // CoCreateInstance of the packaging factory, in-process.
  HRESULT (*createAppxFactory)(IAppxFactory** factory);
  // SHLoadIndirectString.
  HRESULT (*loadIndirectString)(const wchar_t* source, wchar_t* out, UINT capacity, void** reserved);
};

const PackagePlatform& systemPackagePlatform();

// Initialises the Windows Runtime on this thread for a scope; uninitialises only what it
// initialised.
class RuntimeScope {
 public:
  explicit RuntimeScope(const PackagePlatform& platform) : platform_(platform), result_(platform.initialize()) {}
  ~RuntimeScope() {
    if (SUCCEEDED(result_)) platform_.uninitialize();
  }
  RuntimeScope(const RuntimeScope&) = delete;
  RuntimeScope& operator=(const RuntimeScope&) = delete;
  bool ok() const { return SUCCEEDED(result_); }

 private:
  const PackagePlatform& platform_;
  HRESULT result_;
};

}  // namespace packages
}  // namespace shellkit
