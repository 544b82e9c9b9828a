// Quarvo::ScopedHandle: owns one kernel handle (process, token, snapshot) and closes it when it
// goes away. Functions that fail with INVALID_HANDLE_VALUE and those that fail with null both
// end up as an empty holder.
#pragma once

#include <windows.h>

#include <utility>

namespace Quarvo {

class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) noexcept : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~ScopedHandle() { reset(); }
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  HANDLE get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  // For out-parameters: the previous handle is closed first.
  HANDLE* receive() noexcept {
    reset();
    return &handle_;
  }
  void reset() noexcept {
    if (handle_) CloseHandle(std::exchange(handle_, nullptr));
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace Quarvo
