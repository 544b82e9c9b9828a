// The system behind the package catalogue's seam (Windows 8 and later: clients load ShellKit
// only there). The package manager is activated through the same activation path as toasts.
#include <activation.h>
#include <roapi.h>
#include <shlwapi.h>

#include "ComRef.h"
#include "PackagePlatform.h"
#include "ToastPlatform.h"

namespace shellkit {
namespace packages {

namespace {

// {00000035-0000-0000-C000-000000000046}
constexpr IID kIidActivationFactory = {0x00000035, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

HRESULT initialize() { return RoInitialize(RO_INIT_MULTITHREADED); }

void uninitialize() { RoUninitialize(); }

HRESULT activatePackageManager(IPackageManager** manager) {
  ComRef<IActivationFactory> factory;
  HRESULT hr = systemToastPlatform().activationFactory(L"Windows.Management.Deployment.PackageManager",
                                                       kIidActivationFactory, factory.receiveVoid());
  if (FAILED(hr)) return hr;
  ComRef<IInspectable> instance;
  hr = factory->ActivateInstance(instance.receive());
  if (FAILED(hr)) return hr;
  return instance->QueryInterface(kIidPackageManager, reinterpret_cast<void**>(manager));
}

HRESULT openManifest(const wchar_t* path, IStream** stream) { return SHCreateStreamOnFileW(path, STGM_READ, stream); }

HRESULT createAppxFactory(IAppxFactory** factory) {
  return CoCreateInstance(kClsidAppxFactory, nullptr, CLSCTX_INPROC_SERVER, kIidAppxFactory,
                          reinterpret_cast<void**>(factory));
}

HRESULT loadIndirectString(const wchar_t* source, wchar_t* out, UINT capacity, void** reserved) {
  return SHLoadIndirectString(source, out, capacity, reserved);
}

}  // namespace

const PackagePlatform& systemPackagePlatform() {
  static const PackagePlatform platform = {&initialize,   &uninitialize,      &activatePackageManager,
                                           &openManifest, &createAppxFactory, &loadIndirectString};
  return platform;
}

}  // namespace packages
}  // namespace shellkit
