// CXX::Object: the reference-counted base of every long-lived runtime object.
//
// Objects are created only through their class record (X::_MetaClass::instance.alloc(), or
// CXX::alloc<X>()), in a zero-filled calloc block, with one reference owned by the creator.
// The last release() runs dealloc(), which subclasses extend to release what they own.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "CXXRuntime/MetaClass.h"

namespace CXX {

// A count value that exempts an object from counting (process-wide static singletons).
inline constexpr int32_t STATIC_OBJECT_COUNT = INT32_MIN;

class Object : public Type {
  CXX_DECLARE_CLASS(Object)

 public:
  void retain() override;
  void release() override;
  int64_t retainCount() const override;
  ~Object() override = default;

  // Called by creation functions right after alloc(); nothing to do at this level.
  virtual void init() {}
  // Called once by the release() that brings the count to zero: updates the class's live
  // count, destroys the object and frees its block.
  virtual void dealloc();

  // Instances live in calloc blocks placed by their class record, never in plain new.
  static void* operator new(size_t, void* block) noexcept { return block; }
  static void operator delete(void* block) noexcept { std::free(block); }

 protected:
  struct StaticObject {};
  Object() : refCount_(1) {}
  // For process-wide singletons that live in static storage and are never counted.
  explicit Object(StaticObject) : refCount_(STATIC_OBJECT_COUNT) {}

 private:
  std::atomic<int32_t> refCount_;
};

}  // namespace CXX
