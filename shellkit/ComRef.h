// shellkit::ComRef<T>: holds one COM interface reference and releases it when it goes away.
#pragma once

#include <unknwn.h>

#include <utility>

namespace shellkit {

template <class T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() { reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;

  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For out-parameters: the previous reference is released first.
  T** receive() {
    reset();
    return &pointer_;
  }
  void** receiveVoid() { return reinterpret_cast<void**>(receive()); }
  void reset() {
    if (pointer_) std::exchange(pointer_, nullptr)->Release();
  }

 private:
  T* pointer_ = nullptr;
};

}  // namespace shellkit
