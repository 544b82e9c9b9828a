// Win32 part of the test helpers.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

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

}  // namespace CXX::testing
