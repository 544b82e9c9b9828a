#include "RuntimeBindings.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace Quarvo {
namespace {

using HidGuidFunction = void(WINAPI*)(GUID* guid);
using AnyFunction = BOOL(WINAPI*)();

// Libraries the test program does not link, so whether they are loaded shows what the binding did.
constexpr wchar_t kFoundLibrary[] = L"hid.dll";
constexpr wchar_t kMissingFunctionLibrary[] = L"lz32.dll";

TEST(RuntimeBinding, KeepsTheLibraryOfAFoundFunctionLoaded) {
  ASSERT_EQ(GetModuleHandleW(kFoundLibrary), nullptr);
  RuntimeBinding<HidGuidFunction> binding(kFoundLibrary, "HidD_GetHidGuid");
  HidGuidFunction function = binding.get();
  HMODULE library = GetModuleHandleW(kFoundLibrary);
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(function), reinterpret_cast<void*>(GetProcAddress(library, "HidD_GetHidGuid")));
  EXPECT_EQ(binding.get(), function);
}

TEST(RuntimeBinding, FreesTheLibraryWhenTheFunctionIsMissing) {
  ASSERT_EQ(GetModuleHandleW(kMissingFunctionLibrary), nullptr);
  RuntimeBinding<AnyFunction> binding(kMissingFunctionLibrary, "NoSuchFunction");
  EXPECT_EQ(binding.get(), nullptr);
  EXPECT_EQ(GetModuleHandleW(kMissingFunctionLibrary), nullptr);
  EXPECT_EQ(binding.get(), nullptr);
  RuntimeBinding<AnyFunction> noLibrary(L"quarvo-no-such-library.dll", "Anything");
  EXPECT_EQ(noLibrary.get(), nullptr);
}

TEST(RuntimeBinding, ThreadsRacingOnFirstUseAllGetTheFunction) {
  RuntimeBinding<AnyFunction> binding(L"kernel32.dll", "GetCurrentProcessId");
  const void* expected = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetCurrentProcessId"));
  std::vector<const void*> seen(8, nullptr);
  std::vector<std::thread> threads;
  for (auto& slot : seen) threads.emplace_back([&binding, &slot] { slot = reinterpret_cast<void*>(binding.get()); });
  for (auto& thread : threads) thread.join();
  for (const void* function : seen) EXPECT_EQ(function, expected);
}

BOOL WINAPI fakeIsImmersiveProcess(HANDLE) { return TRUE; }

TEST(RuntimeBinding, TestingOverrideReplacesAndRestores) {
  RuntimeBinding<IsImmersiveProcessFunction>& binding = isImmersiveProcessBinding();
  const IsImmersiveProcessFunction system = binding.get();
  binding.overrideForTesting(&fakeIsImmersiveProcess);
  EXPECT_EQ(binding.get(), &fakeIsImmersiveProcess);
  binding.overrideForTesting(nullptr);
  EXPECT_EQ(binding.get(), nullptr);
  binding.restoreForTesting();
  EXPECT_EQ(binding.get(), system);
}

TEST(RuntimeBinding, SystemSlotsNameTheirFunctions) {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  EXPECT_EQ(reinterpret_cast<void*>(queryFullProcessImageNameBinding().get()),
            reinterpret_cast<void*>(GetProcAddress(kernel, "QueryFullProcessImageNameW")));
  EXPECT_EQ(reinterpret_cast<void*>(getPackageFamilyNameBinding().get()),
            reinterpret_cast<void*>(GetProcAddress(kernel, "GetPackageFamilyName")));
  EXPECT_EQ(reinterpret_cast<void*>(isImmersiveProcessBinding().get()),
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "IsImmersiveProcess")));
}

}  // namespace
}  // namespace Quarvo
