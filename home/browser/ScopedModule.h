// Quarvo::ScopedModule: owns one reference to a loaded library and frees it when it goes away,
// unless the reference is handed over with release().
#pragma once

#include <windows.h>

#include <utility>

namespace Quarvo {

class ScopedModule {
 public:
  explicit ScopedModule(HMODULE module) noexcept : module_(module) {}
  ~ScopedModule() {
    if (module_) FreeLibrary(module_);
  }
  ScopedModule(const ScopedModule&) = delete;
  ScopedModule& operator=(const ScopedModule&) = delete;

  HMODULE get() const noexcept { return module_; }
  explicit operator bool() const noexcept { return module_ != nullptr; }
  HMODULE release() noexcept { return std::exchange(module_, nullptr); }

 private:
  HMODULE module_;
};

}  // namespace Quarvo
