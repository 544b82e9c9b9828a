// Quarvo::RingBuffer: a circular byte queue with growable storage, one per direction of the
// helper's connection to the service.
#pragma once

#include <cstddef>
#include <cstdint>

#include "CXXRuntime/CXXBase"

namespace Quarvo {

class RingBuffer : public CXX::Object {
  CXX_DECLARE_CLASS(RingBuffer)

 public:
  static constexpr uint64_t kGrowthStep = 4096;

  // An empty queue with 4096 bytes of storage. Throws CXX::SystemError
  // "RingBuffer allocation failed".
  static RingBuffer* create();

  uint64_t size() const;
  uint64_t capacity() const { return capacity_; }
  // Appends bytes, growing the storage in 4096-byte steps. Throws CXX::SystemError
  // "RingBuffer reallocation failed".
  void write(const void* bytes, uint64_t n);
  // Copies the first n queued bytes without consuming them; n must not exceed size().
  bool peek(void* destination, uint64_t n) const;
  // Consumes the first n queued bytes. Throws CXX::RuntimeError when n exceeds size().
  void drop(uint64_t n);
  // The queued bytes from the read position up to the write position or the end of storage,
  // whichever comes first: what one socket send can take without wrapping.
  const uint8_t* frontRun(uint64_t* length) const;

  void dealloc() override;

 protected:
  RingBuffer() = default;

 private:
  void grow(uint64_t needed);

  bool full_ = false;
  uint8_t* storage_ = nullptr;
  uint64_t capacity_ = 0;
  uint64_t read_ = 0;
  uint64_t write_ = 0;
};

}  // namespace Quarvo
