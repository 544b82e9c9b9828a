// Quarvo::RingBuffer (see RingBuffer.h).
#include "RingBuffer.h"

#include <cstdlib>
#include <cstring>

namespace Quarvo {

CXX_DEFINE_CLASS(RingBuffer, "Quarvo", "RingBuffer", CXX::Object)

RingBuffer* RingBuffer::create() {
  CXX::Ref<RingBuffer> buffer(CXX::alloc<RingBuffer>());
  buffer->storage_ = static_cast<uint8_t*>(std::malloc(kGrowthStep));
  if (buffer->storage_ == nullptr) throw CXX::SystemError("RingBuffer allocation failed");
  buffer->capacity_ = kGrowthStep;
  return buffer.take();
}

uint64_t RingBuffer::size() const {
  if (full_) return capacity_;
  return write_ >= read_ ? write_ - read_ : capacity_ - read_ + write_;
}

void RingBuffer::grow(uint64_t needed) {
  uint64_t queued = size();
  uint64_t capacity = (needed + kGrowthStep - 1) / kGrowthStep * kGrowthStep;
  if (capacity < needed || capacity > SIZE_MAX) throw CXX::SystemError("RingBuffer reallocation failed");
  auto* storage = static_cast<uint8_t*>(std::realloc(storage_, static_cast<size_t>(capacity)));
  if (storage == nullptr) {
    std::free(storage_);
    storage_ = nullptr;
    capacity_ = read_ = write_ = 0;
    full_ = false;
    throw CXX::SystemError("RingBuffer reallocation failed");
  }
  // A queue that wraps keeps its tail at the start of storage: move the head part (read
  // position to the old end) to the end of the larger block so the order stays.
  if (queued > 0 && (write_ < read_ || full_)) {
    uint64_t head = capacity_ - read_;
    std::memmove(storage + capacity - head, storage + read_, static_cast<size_t>(head));
    read_ = capacity - head;
  }
  storage_ = storage;
  capacity_ = capacity;
  write_ = (read_ + queued) % capacity_;
  full_ = false;
}

void RingBuffer::write(const void* bytes, uint64_t n) {
  if (n == 0) return;
  uint64_t queued = size();
  if (n > UINT64_MAX - queued) throw CXX::SystemError("RingBuffer reallocation failed");
  if (queued + n > capacity_) grow(queued + n);
  const auto* source = static_cast<const uint8_t*>(bytes);
  uint64_t first = capacity_ - write_ < n ? capacity_ - write_ : n;
  std::memcpy(storage_ + write_, source, static_cast<size_t>(first));
  std::memcpy(storage_, source + first, static_cast<size_t>(n - first));
  write_ = (write_ + n) % capacity_;
  if (write_ == read_) full_ = true;
}

bool RingBuffer::peek(void* destination, uint64_t n) const {
  auto* target = static_cast<uint8_t*>(destination);
  uint64_t first = capacity_ - read_ < n ? capacity_ - read_ : n;
  std::memcpy(target, storage_ + read_, static_cast<size_t>(first));
  std::memcpy(target + first, storage_, static_cast<size_t>(n - first));
  return true;
}

void RingBuffer::drop(uint64_t n) {
  if (n == 0) return;
  if (n > size()) throw CXX::RuntimeError("Invalid parameter not satisfying: count <= Size()");
  read_ = (read_ + n) % capacity_;
  full_ = false;
}

const uint8_t* RingBuffer::frontRun(uint64_t* length) const {
  if (size() == 0) {
    *length = 0;
    return storage_ + read_;
  }
  *length = write_ > read_ ? write_ - read_ : capacity_ - read_;
  return storage_ + read_;
}

void RingBuffer::dealloc() {
  std::free(storage_);
  storage_ = nullptr;
  CXX::Object::dealloc();
}

}  // namespace Quarvo
