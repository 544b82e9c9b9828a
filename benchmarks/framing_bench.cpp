// framingbench: frames per second through the helper's receive path (RingBuffer in 2048-byte
// reads, nextMessage) for payloads of 0, 64 and 32,768 bytes, next to memcpy of the same
// bytes measured in the same run. Also reports the most bytes the receive queue held.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "Message.h"
#include "RingBuffer.h"

namespace {

std::string frameBytes(size_t payload) {
  std::string frame(24 + payload, 'p');
  const uint8_t header[24] = {'s', 'p', 'p', ' ', 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 0,
                              static_cast<uint8_t>(payload >> 24), static_cast<uint8_t>(payload >> 16),
                              static_cast<uint8_t>(payload >> 8), static_cast<uint8_t>(payload)};
  std::memcpy(&frame[0], header, 24);
  return frame;
}

// A stream of frames arriving in 2048-byte reads, as from the socket.
std::string streamOf(size_t payload, size_t frames) {
  std::string one = frameBytes(payload), all;
  for (size_t i = 0; i < frames; ++i) all += one;
  return all;
}

constexpr size_t kRead = 2048;

void BM_ReceiveFrames(benchmark::State& state) {
  size_t payload = static_cast<size_t>(state.range(0));
  size_t frames = payload > 1000 ? 64 : 4096;
  std::string stream = streamOf(payload, frames);
  uint64_t largestQueue = 0;
  for (auto _ : state) {
    CXX::Ref<Quarvo::RingBuffer> queue(Quarvo::RingBuffer::create());
    size_t received = 0;
    for (size_t at = 0; at < stream.size(); at += kRead) {
      queue->write(stream.data() + at, std::min(kRead, stream.size() - at));
      largestQueue = std::max(largestQueue, queue->size());
      while (Quarvo::Message* message = Quarvo::nextMessage(queue.get())) {
        benchmark::DoNotOptimize(message->payload()->bytes());
        message->release();
        ++received;
      }
    }
    if (received != frames) state.SkipWithError("frames lost");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * frames));
  state.counters["largest_queue_bytes"] = static_cast<double>(largestQueue);
}
BENCHMARK(BM_ReceiveFrames)->Arg(0)->Arg(64)->Arg(32768);

// The floor: the same bytes copied in the same 2048-byte reads into one buffer and out again.
void BM_MemcpyFloor(benchmark::State& state) {
  size_t payload = static_cast<size_t>(state.range(0));
  size_t frames = payload > 1000 ? 64 : 4096;
  std::string stream = streamOf(payload, frames);
  std::vector<char> buffer(kRead), out(24 + payload);
  for (auto _ : state) {
    for (size_t at = 0; at < stream.size(); at += kRead) {
      size_t n = std::min(kRead, stream.size() - at);
      std::memcpy(buffer.data(), stream.data() + at, n);
      benchmark::DoNotOptimize(buffer.data());
    }
    for (size_t f = 0; f < frames; ++f) {
      std::memcpy(out.data(), stream.data() + f * out.size(), out.size());
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * frames));
}
BENCHMARK(BM_MemcpyFloor)->Arg(0)->Arg(64)->Arg(32768);

}  // namespace

BENCHMARK_MAIN();
