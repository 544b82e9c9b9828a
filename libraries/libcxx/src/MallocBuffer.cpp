// CXX::MallocBuffer and CXX::MallocSubBuffer: buffers owning an allocator block.
#include <cstring>

#include "CXXRuntime/CXXBase"

namespace CXX {

CXX_DEFINE_CLASS(MallocBuffer, "CXX", "MallocBuffer", SimpleBuffer)
CXX_DEFINE_CLASS(MallocSubBuffer, "CXX", "MallocSubBuffer", MallocBuffer)

MallocBuffer* MallocBuffer::create(const void* data, uint64_t length, Allocator& allocator) {
  if (length > SIZE_MAX) throw SystemError("memory allocation failed");
  void* block = allocator.allocate(static_cast<size_t>(length));
  if (block == nullptr) throw SystemError("memory allocation failed");
  if (data && length) std::memcpy(block, data, static_cast<size_t>(length));
  MallocBuffer* buffer;
  try {
    buffer = alloc<MallocBuffer>();
  } catch (...) {
    allocator.deallocate(block);
    throw;
  }
  buffer->initWithBytes(block, length);
  buffer->setAllocator(&allocator);
  return buffer;
}

void MallocBuffer::dealloc() {
  // The block's start, not the (possibly offset) window that mutableBytes() shows.
  if (allocator_) allocator_->deallocate(SimpleBuffer::mutableBytes());
  SimpleBuffer::dealloc();
}

void MallocSubBuffer::init(void* block, uint64_t offset, uint64_t length, Allocator* allocator) {
  initWithBytes(block, length);
  offset_ = offset;
  setAllocator(allocator);
}

}  // namespace CXX
