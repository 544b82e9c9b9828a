// The Windows Runtime calls the toast export needs, behind one seam: the shipped library
// fills it with the system's functions (ToastPlatformSystem.cpp), tests with their own
// objects, since no toast manager can be activated under Wine.
#pragma once

#include <windows.h>

namespace shellkit {

struct ToastPlatform {
  HRESULT (*initialize)();  // RoInitialize(RO_INIT_MULTITHREADED)
  void (*uninitialize)();   // RoUninitialize
  HRESULT (*activationFactory)(const wchar_t* className, REFIID iid, void** factory);
};

const ToastPlatform& systemToastPlatform();

// Shows a two-line toast (template ToastText02) for the application identifier; a silent
// toast gets <audio silent="true"/>. Returns the HRESULT of the first failing step, or of the
// last step on success. Null texts count as empty.
HRESULT displayToast(const ToastPlatform& platform, const wchar_t* appId, const wchar_t* title, const wchar_t* body,
                     bool silent);

}  // namespace shellkit
