// CXX::SimpleBuffer: a buffer over memory it does not own (and the base of the buffers that do).
#pragma once

#include "CXXRuntime/Buffer.h"

namespace CXX {

class SimpleBuffer : public Buffer {
  CXX_DECLARE_CLASS(SimpleBuffer)

 public:
  // Borrows bytes for the buffer's life; bytes must not be null.
  static SimpleBuffer* create(void* bytes, uint64_t length);
  void initWithBytes(void* bytes, uint64_t length);

  uint64_t length() const override { return length_; }
  const uint8_t* bytes() const override { return bytes_; }
  uint8_t* mutableBytes() const override { return bytes_; }

 protected:
  SimpleBuffer() = default;

 private:
  uint64_t length_ = 0;
  uint8_t* bytes_ = nullptr;
};

}  // namespace CXX
