// POSIX part of the test helpers.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "test_platform.h"

namespace CXX::testing {

platform::FileHandle openFile(const std::filesystem::path& path, bool writable) {
  int fd = open(path.c_str(), writable ? O_RDWR : O_RDONLY);
  if (fd < 0) {
    std::perror(path.c_str());
    std::abort();
  }
  return fd;
}

void closeFile(platform::FileHandle file) { close(file); }

void sendStdoutToDeathTestStream() {
  std::fflush(stdout);  // what was printed before belongs to the old stream
  dup2(STDERR_FILENO, STDOUT_FILENO);
  int null = open("/dev/null", O_WRONLY);
  dup2(null, STDERR_FILENO);
}

std::size_t openHandleCount() {
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
}

}  // namespace CXX::testing
