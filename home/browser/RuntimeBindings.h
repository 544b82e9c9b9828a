// System functions newer than Windows XP, bound at run time. Each has one slot: on first use the
// library is loaded and the function looked up; when either fails the library is freed again
// and the slot answers null for good. Threads racing on first use wait for the one that loads.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace Quarvo {

using GetPackageFamilyNameFunction = LONG(WINAPI*)(HANDLE process, UINT32* length, PWSTR familyName);
using QueryFullProcessImageNameFunction = BOOL(WINAPI*)(HANDLE process, DWORD flags, LPWSTR path, PDWORD length);
using IsImmersiveProcessFunction = BOOL(WINAPI*)(HANDLE process);

// The function named `name` in `library` (a file name), with the library kept loaded, or null
// (library freed). The library is loaded from the system directory by full path, never through
// the search path: the installer plug-in runs from folders such as Downloads, where a planted
// copy would otherwise be loaded.
void* lookUpSystemFunction(const wchar_t* library, const char* name) noexcept;

template <class Function>
class RuntimeBinding {
 public:
  constexpr RuntimeBinding(const wchar_t* library, const char* name) noexcept : library_(library), name_(name) {}
  RuntimeBinding(const RuntimeBinding&) = delete;
  RuntimeBinding& operator=(const RuntimeBinding&) = delete;

  // The function, or null when this system lacks it.
  Function get() noexcept {
    if (overridden_.load(std::memory_order_acquire)) return replacement_.load(std::memory_order_acquire);
    if (state_.load(std::memory_order_acquire) != kResolved) resolve();
    return function_;
  }

  // Tests only: until restored, get() answers `replacement`; null stands for a missing function.
  void overrideForTesting(Function replacement) noexcept {
    replacement_.store(replacement, std::memory_order_release);
    overridden_.store(true, std::memory_order_release);
  }
  void restoreForTesting() noexcept { overridden_.store(false, std::memory_order_release); }

 private:
  enum State : int { kUnresolved, kResolving, kResolved };

  void resolve() noexcept {
    int expected = kUnresolved;
    if (state_.compare_exchange_strong(expected, kResolving, std::memory_order_acq_rel)) {
      function_ = reinterpret_cast<Function>(lookUpSystemFunction(library_, name_));
      state_.store(kResolved, std::memory_order_release);
      return;
    }
    while (state_.load(std::memory_order_acquire) != kResolved) SwitchToThread();
  }

  const wchar_t* library_;
  const char* name_;
  std::atomic<int> state_{kUnresolved};
  Function function_ = nullptr;  // written once, before state_ becomes kResolved
  std::atomic<bool> overridden_{false};
  std::atomic<Function> replacement_{nullptr};
};

RuntimeBinding<GetPackageFamilyNameFunction>& getPackageFamilyNameBinding() noexcept;
RuntimeBinding<QueryFullProcessImageNameFunction>& queryFullProcessImageNameBinding() noexcept;
RuntimeBinding<IsImmersiveProcessFunction>& isImmersiveProcessBinding() noexcept;

}  // namespace Quarvo
