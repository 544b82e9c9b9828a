// The plug-in's exports. Each takes the installer's (parent window, string size, variable
// area, stack, extra parameters), builds a PluginCall from the middle three and hands it to its
// action. The exports are cdecl (the installer cleans the stack) and named by setupplugin.def.
#include <windows.h>

#include <exception>

#include "BrowserRunning.h"
#include "DigestAction.h"
#include "FilterProvider.h"
#include "KillProcesses.h"
#include "PluginCall.h"
#include "ShortcutAction.h"
#include "UnlockProxies.h"

namespace {

using Action = void (*)(setup::PluginCall&);

// No exception may unwind into the installer; one that escapes an action (memory exhausted)
// leaves the results the action had written so far.
void run(int stringSize, wchar_t* variables, setup::StackNode** stackTop, Action action) noexcept {
  try {
    setup::PluginCall call(stringSize, reinterpret_cast<char16_t*>(variables), stackTop);
    action(call);
  } catch (const std::exception&) {
  }
}

}  // namespace

extern "C" {

void __cdecl InstallProvider(HWND, int stringSize, wchar_t* variables, setup::StackNode** stackTop, void*) {
  run(stringSize, variables, stackTop, setup::installProvider);
}

void __cdecl UninstallProvider(HWND, int stringSize, wchar_t* variables, setup::StackNode** stackTop, void*) {
  run(stringSize, variables, stackTop, setup::uninstallProvider);
}

void __cdecl UnlockProxies(HWND, int stringSize, wchar_t* variables, setup::StackNode** stackTop, void*) {
  run(stringSize, variables, stackTop, setup::unlockProxies);
}

void __cdecl KillProc(HWND, int stringSize, wchar_t* variables, setup::StackNode** stackTop, void*) {
  run(stringSize, variables, stackTop, setup::killProcesses);
}

void __cdecl BrowserRunning(HWND, int stringSize, wchar_t* variables, setup::StackNode** stackTop, void*) {
  run(stringSize, variables, stackTop, setup::browserRunning);
}

void __cdecl CreateShortCut(HWND, int stringSize, wchar_t* variables, setup::StackNode** stackTop, void*) {
  run(stringSize, variables, stackTop, setup::createShortcut);
}

void __cdecl SHA1(HWND, int stringSize, wchar_t* variables, setup::StackNode** stackTop, void*) {
  run(stringSize, variables, stackTop, setup::hashText);
}

}  // extern "C"
