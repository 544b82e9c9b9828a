// The byte queue: growth, wrap-around, the contiguous front run and drop limits.
#include <gtest/gtest.h>

#include <string>

#include "RingBuffer.h"

namespace Quarvo {
namespace {

std::string front(RingBuffer* queue, uint64_t n) {
  std::string bytes(static_cast<size_t>(n), '\0');
  queue->peek(&bytes[0], n);
  return bytes;
}

std::string pattern(size_t n, int seed) {
  std::string bytes(n, '\0');
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i * 7 + seed) & 0xFF);
  return bytes;
}

TEST(RingBuffer, FillingExactlyLeavesItFullAndOneMoreByteGrowsIt) {
  CXX::Ref<RingBuffer> queue(RingBuffer::create());
  std::string bytes = pattern(4096, 1);
  queue->write(bytes.data(), bytes.size());
  EXPECT_EQ(queue->capacity(), 4096u);
  EXPECT_EQ(queue->size(), 4096u);
  queue->write("x", 1);
  EXPECT_EQ(queue->capacity(), 8192u);
  EXPECT_EQ(front(queue.get(), 4097), bytes + "x");
}

TEST(RingBuffer, GrowingWhileTheBytesWrapKeepsTheirOrder) {
  for (uint64_t shift : {1u, 100u, 2048u, 4095u}) {
    SCOPED_TRACE(shift);
    CXX::Ref<RingBuffer> queue(RingBuffer::create());
    std::string filler = pattern(shift, 3);
    queue->write(filler.data(), filler.size());
    queue->drop(shift);  // read and write now sit at `shift`
    std::string first = pattern(4096, 5);
    queue->write(first.data(), first.size());  // wraps, and fills the queue
    EXPECT_EQ(queue->size(), 4096u);
    std::string second = pattern(10000, 9);
    queue->write(second.data(), second.size());
    EXPECT_EQ(queue->capacity(), 16384u);
    EXPECT_EQ(front(queue.get(), queue->size()), first + second);
  }
}

TEST(RingBuffer, FrontRunStopsAtTheEndOfStorage) {
  CXX::Ref<RingBuffer> queue(RingBuffer::create());
  std::string bytes = pattern(4000, 2);
  queue->write(bytes.data(), bytes.size());
  queue->drop(3900);
  queue->write(bytes.data(), 200);  // 96 bytes before the end of storage, 104 after
  uint64_t length = 0;
  const uint8_t* run = queue->frontRun(&length);
  EXPECT_EQ(length, 196u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(run), 100), bytes.substr(3900, 100));
  queue->drop(196);
  queue->frontRun(&length);
  EXPECT_EQ(length, 104u);
}

TEST(RingBuffer, DropChecksTheCountAndChangesNothingWhenRefused) {
  CXX::Ref<RingBuffer> queue(RingBuffer::create());
  queue->write("abcdef", 6);
  try {
    queue->drop(7);
    FAIL();
  } catch (const CXX::RuntimeError& error) {
    EXPECT_STREQ(error.what(), "Invalid parameter not satisfying: count <= Size()");
  }
  EXPECT_EQ(front(queue.get(), 6), "abcdef");
  queue->drop(0);
  queue->drop(6);
  EXPECT_EQ(queue->size(), 0u);
}

}  // namespace
}  // namespace Quarvo
