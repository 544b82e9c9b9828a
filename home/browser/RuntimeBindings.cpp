// The three run-time bound system functions and their shared look-up.
#include "RuntimeBindings.h"

#include <string>

#include "ScopedModule.h"

namespace Quarvo {

namespace {

// Constant-initialised, so usable from any static constructor.
RuntimeBinding<GetPackageFamilyNameFunction> packageFamilyName(L"Kernel32.dll", "GetPackageFamilyName");
RuntimeBinding<QueryFullProcessImageNameFunction> fullProcessImageName(L"Kernel32.dll", "QueryFullProcessImageNameW");
RuntimeBinding<IsImmersiveProcessFunction> immersiveProcess(L"user32.dll", "IsImmersiveProcess");

}  // namespace

void* lookUpSystemFunction(const wchar_t* library, const char* name) noexcept {
  wchar_t directory[MAX_PATH];
  const UINT length = GetSystemDirectoryW(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(directory, length) + L"\\" + library;
  ScopedModule module(LoadLibraryW(path.c_str()));
  if (!module) return nullptr;
  void* function = reinterpret_cast<void*>(GetProcAddress(module.get(), name));
  // A found function keeps its library loaded for good: callers hold the bare pointer, and
  // freeing a library while a DLL unloads is not safe.
  if (function) module.release();
  return function;
}

RuntimeBinding<GetPackageFamilyNameFunction>& getPackageFamilyNameBinding() noexcept { return packageFamilyName; }
RuntimeBinding<QueryFullProcessImageNameFunction>& queryFullProcessImageNameBinding() noexcept {
  return fullProcessImageName;
}
RuntimeBinding<IsImmersiveProcessFunction>& isImmersiveProcessBinding() noexcept { return immersiveProcess; }

}  // namespace Quarvo
