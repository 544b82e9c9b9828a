// rewritebench: the cost of applying an update to a large list.
//
//   Rewrite   Dictionary::writeMerged of a 1,000,000-domain list with a 10,000-change patch
//             (modified, deleted and added domains, path changes): time, bytes/s, and the peak
//             resident memory the rewrite itself adds.
//   Swap      URLList::replaceFile of such a list while two threads check URLs: the longest
//             time one check waited next to the longest swap.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "Dictionary.h"
#include "Sha1Key.h"
#include "URLList.h"
#include "Writer.h"
#include "update/Patch.h"
#include "update/PatchFormat.h"
#include "update/memstreambuf.h"

namespace {

namespace fs = std::filesystem;
constexpr int kDomains = 1000000;
constexpr int kChanges = 10000;

const fs::path& folder() {
  static fs::path path = [] {
    fs::path p = fs::temp_directory_path() / ("rewritebench-" + std::to_string(getpid()));
    fs::create_directories(p);
    return p;
  }();
  return path;
}

std::string host(int i) { return "d" + std::to_string(i) + ".test"; }

void feed(kiv::Writer* writer) {
  kiv::HostValue plain;
  for (int i = 0; i < kDomains; ++i) {
    std::string name = host(i);
    writer->beginDomain(kiv::keyOf(name.data(), name.size()));
    plain.category = static_cast<uint16_t>(i % 100);
    writer->setHostValues(&plain, nullptr, nullptr, nullptr);
    if (i % 20 == 0) writer->addPath(kiv::keyOf("news", 4), 7 | kiv::format::kEntryPrefixBit);
    writer->endDomain();
  }
}

const std::string& bigList() {
  static std::string path = [] {
    std::string p = (folder() / "big.kiv").string();
    CXX::Ref<kiv::Writer> writer(kiv::Writer::createWithPath(p.c_str(), 1, kDomains));
    feed(writer.get());
    writer->finishHeader(100.0);
    feed(writer.get());
    writer->finish();
    return p;
  }();
  return path;
}

void putU16(std::string& out, uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

// 10,000 changes: a half modified, a quarter deleted, a quarter new domains with a path.
std::string patchBytes() {
  using namespace kiv::patch;
  std::string body;
  auto key = [](const std::string& name) {
    kiv::Key k = kiv::keyOf(name.data(), name.size());
    return std::string(reinterpret_cast<const char*>(k.bytes), kiv::kKeySize);
  };
  for (int c = 0; c < kChanges; ++c) {
    if (c < kChanges / 2) {
      body += key(host(c * 97));
      body += static_cast<char>(operation(kTargetMain, kModify));
      putU16(body, 42);
    } else if (c < kChanges * 3 / 4) {
      body += key(host(c * 97 + 1));
      body += static_cast<char>(operation(kTargetMain, kDelete));
    } else {
      body += key("new" + std::to_string(c) + ".test");
      body += static_cast<char>(operation(kTargetMain, kAdd));
      putU16(body, 9);
      body += static_cast<char>(operation(kTargetPath, kAdd));
      body += key("p");
      body += std::string("\x05\x40\x00\x00", 4);
    }
    body += static_cast<char>(kEndOfRecord);
  }
  std::string header(kHeaderSize, '\0');
  std::memcpy(&header[0], kMagic, 4);
  header[4] = 1;
  header[6] = 1;
  int64_t timestamp = 200000000;
  std::memcpy(&header[kOffsetTimestamp], &timestamp, 8);
  uint32_t records = kChanges;
  std::memcpy(&header[kOffsetRecordCount], &records, 4);
  return header + body;
}

long statusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
  return -1;
}

void BM_Rewrite(benchmark::State& state) {
  CXX::Ref<kiv::Dictionary> list(kiv::Dictionary::create(bigList().c_str()));
  std::string bytes = patchBytes();
  CXX::Ref<kiv::update::Patch> patch(kiv::update::Patch::create());
  kiv::update::memstreambuf buffer(bytes.data(), bytes.size());
  std::istream input(&buffer);
  input.exceptions(std::ios::failbit | std::ios::badbit | std::ios::eofbit);
  patch->read(input);
  std::string out = (folder() / "merged.kiv").string();
  long peakAdded = 0;
  uint64_t size = 0;
  for (auto _ : state) {
    // Reset the high-water mark so it measures this rewrite (Linux 4.0 and later).
    std::ofstream("/proc/self/clear_refs") << "5";
    long before = statusKilobytes("VmRSS:");
    FILE* file = std::fopen(out.c_str(), "w+b");
    list->writeMerged(patch.get(), fileno(file));
    std::fclose(file);
    peakAdded = std::max(peakAdded, statusKilobytes("VmHWM:") - before);
    size = fs::file_size(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
  state.counters["file_MiB"] = static_cast<double>(size) / (1 << 20);
  state.counters["peak_added_MiB"] = static_cast<double>(peakAdded) / 1024;
}
BENCHMARK(BM_Rewrite)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_SwapWhileChecking(benchmark::State& state) {
  std::string path = (folder() / "live.kiv").string();
  fs::copy_file(bigList(), path, fs::copy_options::overwrite_existing);
  CXX::Ref<kiv::URLList> list(kiv::URLList::create(path.c_str(), 0));
  std::atomic<bool> stop{false};
  std::atomic<int64_t> longestCheckNs{0};
  std::vector<std::thread> checkers;
  for (int t = 0; t < 2; ++t) {
    checkers.emplace_back([&, t] {
      std::string url = "https://www." + host(t * 1000 + 5) + "/news/today";
      while (!stop) {
        auto start = std::chrono::steady_clock::now();
        list->check(url.data(), url.size());
        int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
        int64_t seen = longestCheckNs.load();
        while (ns > seen && !longestCheckNs.compare_exchange_weak(seen, ns)) {
        }
      }
    });
  }
  int64_t longestSwapNs = 0;
  std::string next = (folder() / "next.kiv").string();
  for (auto _ : state) {
    state.PauseTiming();
    fs::copy_file(bigList(), next, fs::copy_options::overwrite_existing);
    state.ResumeTiming();
    auto start = std::chrono::steady_clock::now();
    list->replaceFile(next.c_str());
    longestSwapNs = std::max<int64_t>(
        longestSwapNs, std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count());
  }
  stop = true;
  for (auto& thread : checkers) thread.join();
  state.counters["longest_swap_ms"] = static_cast<double>(longestSwapNs) / 1e6;
  state.counters["longest_check_wait_ms"] = static_cast<double>(longestCheckNs.load()) / 1e6;
}
BENCHMARK(BM_SwapWhileChecking)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(folder());
  return 0;
}
