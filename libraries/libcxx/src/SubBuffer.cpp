// CXX::SubBuffer: a checked window into a retained parent.
#include "CXXRuntime/CXXBase"

namespace CXX {

CXX_DEFINE_CLASS(SubBuffer, "CXX", "SubBuffer", Buffer)

SubBuffer* SubBuffer::create(Buffer* parent, uint64_t offset, uint64_t length) {
  Ref<SubBuffer> buffer(alloc<SubBuffer>());
  buffer->setBuffer(parent, offset, length);
  return buffer.take();
}

uint8_t* SubBuffer::mutableBytes() const {
  return parent_ ? parent_->mutableBytes() + offset_ : nullptr;
}

void SubBuffer::setBuffer(Buffer* parent, uint64_t offset, uint64_t length) {
  CXX_REQUIRE(parent != NULL);
  // Written as two comparisons so that no sum can wrap around.
  uint64_t parentLength = parent->length();
  if (parentLength < length || parentLength - length < offset)
    throw RuntimeError("offset + length > buffer size");
  assignRetained(parent_, parent);
  offset_ = offset;
  length_ = length;
}

void SubBuffer::dealloc() {
  releaseAndClear(parent_);
  Buffer::dealloc();
}

}  // namespace CXX
