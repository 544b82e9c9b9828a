// Win32 part of the test helpers.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "test_platform.h"

namespace CXX::testing {

platform::FileHandle openFile(const std::filesystem::path& path, bool writable) {
  HANDLE file = CreateFileW(path.wstring().c_str(), GENERIC_READ | (writable ? GENERIC_WRITE : 0),
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "CreateFile failed: %lu\n", GetLastError());
    std::abort();
  }
  return file;
}

void closeFile(platform::FileHandle file) { CloseHandle(file); }

void sendStdoutToDeathTestStream() {
  std::fflush(stdout);  // what was printed before belongs to the old stream
  _dup2(_fileno(stderr), _fileno(stdout));
  int null = _open("NUL", _O_WRONLY);
  _dup2(null, _fileno(stderr));
}

std::size_t openHandleCount() {
  // Handle values are multiples of 4 and reused from the bottom; tests keep far fewer than
  // 8,192 open, and each probe is a round trip to the Wine server.
  std::size_t count = 0;
  DWORD flags = 0;
  for (std::uintptr_t value = 4; value < 0x8000; value += 4) {
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

}  // namespace CXX::testing
