// Test-only library with the provider actions behind the installer's export signature. Tests
// load and unload it, so each load binds the platform afresh as the plug-in would.
#include <windows.h>

#include "FilterProvider.h"

extern "C" {

__declspec(dllexport) void InstallProvider(HWND, int stringSize, char16_t* variables, setup::StackNode** stack, void*) {
  setup::PluginCall call(stringSize, variables, stack);
  setup::installProvider(call);
}

__declspec(dllexport) void UninstallProvider(HWND, int stringSize, char16_t* variables, setup::StackNode** stack, void*) {
  setup::PluginCall call(stringSize, variables, stack);
  setup::uninstallProvider(call);
}

}  // extern "C"
