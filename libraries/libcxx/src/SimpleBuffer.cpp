// CXX::SimpleBuffer: borrowed bytes.
#include "CXXRuntime/CXXBase"

namespace CXX {

CXX_DEFINE_CLASS(SimpleBuffer, "CXX", "SimpleBuffer", Buffer)

SimpleBuffer* SimpleBuffer::create(void* bytes, uint64_t length) {
  Ref<SimpleBuffer> buffer(alloc<SimpleBuffer>());
  buffer->initWithBytes(bytes, length);
  return buffer.take();
}

void SimpleBuffer::initWithBytes(void* buffer, uint64_t length) {
  CXX_REQUIRE(buffer != NULL);
  bytes_ = static_cast<uint8_t*>(buffer);
  length_ = length;
}

}  // namespace CXX
