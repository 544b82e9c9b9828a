// ShellKit.dll's toast exports (the package-catalogue exports live beside them).
#include <shobjidl.h>
#include <windows.h>

#include <cstdint>

#include "ToastPlatform.h"

namespace {

// SetCurrentProcessExplicitAppUserModelID exists from Windows 7 on: bound by name.
using SetAppIdFn = HRESULT(WINAPI*)(PCWSTR);

}  // namespace

extern "C" {

int32_t __stdcall ToastUtilsRegisterApplication(const wchar_t* appId) {
  HMODULE shell = LoadLibraryW(L"shell32.dll");
  auto setAppId = shell ? reinterpret_cast<SetAppIdFn>(
                              reinterpret_cast<void*>(GetProcAddress(shell, "SetCurrentProcessExplicitAppUserModelID")))
                        : nullptr;
  if (setAppId) setAppId(appId);  // a refusal is not the caller's concern
  return 0;
}

HRESULT __stdcall ToastUtilsDisplayNotification(const wchar_t* appId, const wchar_t* title, const wchar_t* body,
                                                int silent) {
  // Only the low byte of the flag counts (callers pass a C++ bool in a full argument).
  return shellkit::displayToast(shellkit::systemToastPlatform(), appId, title, body, (silent & 0xFF) != 0);
}

}  // extern "C"
