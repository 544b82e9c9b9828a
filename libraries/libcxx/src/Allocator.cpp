// CXX::Allocator and the two process-wide allocators.
#include <cstdlib>

#include "CXXRuntime/CXXBase"

namespace CXX {

CXX_DEFINE_CLASS(Allocator, "CXX", "Allocator", Object)

void* Allocator::allocate(size_t length) const {
  switch (heap_) {
    case kNoHeap:
      return nullptr;
    case kStandardHeap:
      // malloc(0) may answer null; a zero-length buffer still needs a non-null block.
      return std::malloc(length ? length : 1);
    default:
      return platform::heapAlloc(heap_, length);
  }
}

void Allocator::deallocate(void* bytes) const {
  switch (heap_) {
    case kNoHeap:
      return;
    case kStandardHeap:
      std::free(bytes);
      return;
    default:
      platform::heapFree(heap_, bytes);
  }
}

Allocator& Allocator::none() {
  static Allocator allocator(StaticObject{}, kNoHeap);
  return allocator;
}

Allocator& Allocator::standard() {
  static Allocator allocator(StaticObject{}, kStandardHeap);
  return allocator;
}

}  // namespace CXX
