// CXX::Ref<T>: holds one reference to a runtime object and releases it when it goes out of
// scope, so creators can let an exception pass without leaking what they made.
#pragma once

#include <utility>

namespace CXX {

template <class T>
class Ref {
 public:
  Ref() = default;
  // Adopts the reference the caller owns (as returned by a create function).
  explicit Ref(T* owned) : object_(owned) {}
  Ref(Ref&& other) noexcept : object_(other.take()) {}
  Ref& operator=(Ref&& other) noexcept {
    reset(other.take());
    return *this;
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { reset(); }

  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  explicit operator bool() const { return object_ != nullptr; }

  // Gives the reference back to the caller.
  [[nodiscard]] T* take() { return std::exchange(object_, nullptr); }
  void reset(T* owned = nullptr) {
    T* old = std::exchange(object_, owned);
    if (old) old->release();
  }

 private:
  T* object_ = nullptr;
};

}  // namespace CXX
