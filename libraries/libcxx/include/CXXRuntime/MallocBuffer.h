// CXX::MallocBuffer: a buffer that owns a block from an allocator and gives it back on dealloc.
#pragma once

#include "CXXRuntime/Allocator.h"
#include "CXXRuntime/SimpleBuffer.h"

namespace CXX {

class MallocBuffer : public SimpleBuffer {
  CXX_DECLARE_CLASS(MallocBuffer)

 public:
  // length bytes from allocator, copied from data when data is given (else undefined);
  // throws SystemError "memory allocation failed" when the allocator has nothing to give.
  static MallocBuffer* create(const void* data, uint64_t length,
                              Allocator& allocator = Allocator::standard());

  Allocator* allocator() const { return allocator_; }
  void dealloc() override;

 protected:
  MallocBuffer() = default;
  void setAllocator(Allocator* allocator) { allocator_ = allocator; }

 private:
  Allocator* allocator_ = nullptr;
};

}  // namespace CXX
