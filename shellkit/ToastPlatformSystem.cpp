// The system's Windows Runtime behind the toast seam (Windows 8 and later only: clients load
// this library only there).
#include <roapi.h>
#include <winstring.h>

#include <cwchar>

#include "ToastPlatform.h"

namespace shellkit {

namespace {

HRESULT initialize() { return RoInitialize(RO_INIT_MULTITHREADED); }

void uninitialize() { RoUninitialize(); }

HRESULT activationFactory(const wchar_t* className, REFIID iid, void** factory) {
  HSTRING_HEADER header;
  HSTRING name = nullptr;
  HRESULT hr = WindowsCreateStringReference(className, static_cast<UINT32>(wcslen(className)), &header, &name);
  if (FAILED(hr)) return hr;
  return RoGetActivationFactory(name, iid, factory);
}

}  // namespace

const ToastPlatform& systemToastPlatform() {
  static const ToastPlatform platform = {&initialize, &uninitialize, &activationFactory};
  return platform;
}

}  // namespace shellkit
