// CXX::Buffer: the abstract, reference-counted run of bytes that every buffer class provides,
// whoever owns the memory (borrowed, allocator, another buffer, a mapped file).
#pragma once

#include <cstdint>

#include "CXXRuntime/Object.h"

namespace CXX {

class Buffer : public Object {
  CXX_DECLARE_CLASS(Buffer)

 public:
  virtual uint64_t length() const = 0;
  virtual const uint8_t* bytes() const = 0;
  virtual uint8_t* mutableBytes() const = 0;

 protected:
  Buffer() = default;
};

}  // namespace CXX
