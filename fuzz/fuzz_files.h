// A scratch file for fuzz targets whose code under test reads from a path: one per process,
// in memory-backed /dev/shm where there is one, removed at exit.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzing {

class ScratchFile {
 public:
  explicit ScratchFile(const char* suffix) {
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    path_ = std::string(folder) + "/quarvo-fuzz-" + std::to_string(getpid()) + suffix;
  }
  ~ScratchFile() { std::remove(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& path() const { return path_; }

  void write(const void* bytes, size_t length) const {
    FILE* file = std::fopen(path_.c_str(), "wb");
    if (!file || (length > 0 && std::fwrite(bytes, 1, length, file) != length) || std::fclose(file) != 0) {
      std::perror(path_.c_str());
      std::abort();  // the fuzzer itself is broken, not the code under test
    }
  }

 private:
  std::string path_;
};

}  // namespace fuzzing
