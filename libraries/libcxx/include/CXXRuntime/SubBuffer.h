// CXX::SubBuffer: a window of offset and length into a retained parent buffer.
#pragma once

#include "CXXRuntime/Buffer.h"

namespace CXX {

class SubBuffer : public Buffer {
  CXX_DECLARE_CLASS(SubBuffer)

 public:
  // A new window into parent; throws RuntimeError when it does not fit.
  static SubBuffer* create(Buffer* parent, uint64_t offset, uint64_t length);

  uint64_t length() const override { return length_; }
  const uint8_t* bytes() const override { return mutableBytes(); }
  uint8_t* mutableBytes() const override;
  // Re-points the window, checked against the new parent's current length only.
  virtual void setBuffer(Buffer* parent, uint64_t offset, uint64_t length);

  uint64_t offset() const { return offset_; }
  Buffer* parent() const { return parent_; }

  void dealloc() override;

 protected:
  SubBuffer() = default;

 private:
  uint64_t offset_ = 0;
  uint64_t length_ = 0;
  Buffer* parent_ = nullptr;
};

}  // namespace CXX
