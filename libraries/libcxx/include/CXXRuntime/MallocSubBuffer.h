// CXX::MallocSubBuffer: a window into an allocator block that the buffer owns and frees whole.
#pragma once

#include "CXXRuntime/MallocBuffer.h"

namespace CXX {

class MallocSubBuffer : public MallocBuffer {
  CXX_DECLARE_CLASS(MallocSubBuffer)

 public:
  // The no-argument init() stays callable beside this class's own.
  using CXX::Object::init;
  // Takes ownership of block; the window (offset, length) is not checked against it.
  virtual void init(void* block, uint64_t offset, uint64_t length, Allocator* allocator);

  const uint8_t* bytes() const override { return mutableBytes(); }
  uint8_t* mutableBytes() const override { return SimpleBuffer::mutableBytes() + offset_; }
  uint64_t offset() const { return offset_; }

 protected:
  MallocSubBuffer() = default;

 private:
  uint64_t offset_ = 0;
};

}  // namespace CXX
