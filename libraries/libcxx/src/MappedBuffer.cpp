// CXX::MappedBuffer: a view of a mapped file, unmapped and closed on dealloc.
#include "CXXRuntime/CXXBase"

namespace CXX {

CXX_DEFINE_CLASS(MappedBuffer, "CXX", "MappedBuffer", SimpleBuffer)

MappedBuffer* MappedBuffer::createReadOnly(platform::FileHandle file, uint64_t length) {
  return map(file, length, true);
}

MappedBuffer* MappedBuffer::create(platform::FileHandle file, uint64_t length) {
  return map(file, length, false);
}

MappedBuffer* MappedBuffer::map(platform::FileHandle file, uint64_t length, bool readOnly) {
  Ref<MappedBuffer> buffer(alloc<MappedBuffer>());
  buffer->mapFile(file, length, readOnly);
  return buffer.take();
}

void MappedBuffer::mapFile(platform::FileHandle file, uint64_t length, bool readOnly) {
  uint32_t error = 0;
  mapping_ = platform::createFileMapping(file, readOnly, &error);
  if (mapping_ == nullptr) raiseSystemError("CreateFileMapping", error);
  void* view = platform::mapViewOfFile(mapping_, readOnly, length, &error);
  if (view == nullptr) {
    platform::closeFileMapping(mapping_);
    mapping_ = nullptr;
    raiseSystemError("MapViewOfFile", error);
  }
  initWithBytes(view, length);
}

void MappedBuffer::dealloc() {
  uint8_t* view = SimpleBuffer::mutableBytes();
  if (view) platform::unmapViewOfFile(mapping_, view);
  if (mapping_) platform::closeFileMapping(mapping_);
  mapping_ = nullptr;
  SimpleBuffer::dealloc();
}

}  // namespace CXX
