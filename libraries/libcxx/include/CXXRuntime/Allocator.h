// CXX::Allocator: where allocator-backed buffers get their memory.
// heap 0 gives no memory, heap 1 is malloc/free, any other value is a Windows heap handle.
#pragma once

#include <cstddef>
#include <cstdint>

#include "CXXRuntime/Object.h"

namespace CXX {

class Allocator : public Object {
  CXX_DECLARE_CLASS(Allocator)

 public:
  static constexpr intptr_t kNoHeap = 0;
  static constexpr intptr_t kStandardHeap = 1;

  virtual void setHeap(intptr_t heap) { heap_ = heap; }
  intptr_t heap() const { return heap_; }

  // Null when the heap gives no memory.
  void* allocate(size_t length) const;
  void deallocate(void* bytes) const;

  // The two process-wide allocators; neither is counted.
  static Allocator& none();      // heap 0
  static Allocator& standard();  // heap 1, the default for allocator-backed buffers

 protected:
  Allocator() = default;

 private:
  Allocator(StaticObject tag, intptr_t heap) : Object(tag), heap_(heap) {}

  intptr_t heap_ = kNoHeap;
};

}  // namespace CXX
