// Win32 implementation of the engine's seam (Env.h): the shipped code.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>

#include "Env.h"

#include "CXXRuntime/CXXBase"

namespace kiv {
namespace env {

FileHandle openForReading(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) CXX::raiseSystemError("CreateFile", GetLastError());
  return file;
}

uint64_t fileSize(FileHandle file) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(static_cast<HANDLE>(file), &size)) CXX::raiseSystemError("GetFileSizeEx", GetLastError());
  return static_cast<uint64_t>(size.QuadPart);
}

void closeFile(FileHandle file) { CloseHandle(static_cast<HANDLE>(file)); }

void setFileSize(FileHandle file, uint64_t size) {
  HANDLE handle = static_cast<HANDLE>(file);
  LONG high = static_cast<LONG>(size >> 32);
  // INVALID_SET_FILE_POINTER is also a valid low half: only GetLastError tells a failure.
  SetLastError(NO_ERROR);
  if (SetFilePointer(handle, static_cast<LONG>(size & 0xFFFFFFFF), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR)
    CXX::raiseSystemError("SetFilePointer(end)", GetLastError());
  if (!SetEndOfFile(handle)) CXX::raiseSystemError("SetEndOfFile", GetLastError());
  if (SetFilePointer(handle, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
    CXX::raiseSystemError("SetFilePointer(begin)", GetLastError());
}

WritableFile createForWriting(const char* path) {
  int fd = _open(path, _O_RDWR | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) CXX::raiseErrno("open", errno);
  return WritableFile{fd, reinterpret_cast<HANDLE>(_get_osfhandle(fd))};
}

void truncateTo(const WritableFile& file, uint64_t size) {
  int error = _chsize_s(file.descriptor, static_cast<__int64>(size));
  if (error != 0) CXX::raiseErrno("ftruncate", error);
}

void closeWritable(const WritableFile& file) { _close(file.descriptor); }

void removeFile(const char* path) { DeleteFileA(path); }

bool createTemporaryFile(const char* directory, std::string* path, FileHandle* file) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    char name[MAX_PATH];
    if (GetTempFileNameA(directory, "Kiv", 0, name) == 0) return false;
    HANDLE handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      *path = name;
      *file = handle;
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

bool writeAll(FileHandle file, const void* bytes, size_t length) {
  const char* next = static_cast<const char*>(bytes);
  while (length > 0) {
    DWORD chunk = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
    DWORD written = 0;
    if (!WriteFile(static_cast<HANDLE>(file), next, chunk, &written, nullptr) || written == 0) return false;
    next += written;
    length -= written;
  }
  return true;
}

void replaceFile(const char* path, const char* newPath) {
  if (ReplaceFileA(path, newPath, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) return;
  DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND) {
    // No list file yet: the new one simply moves into place.
    if (MoveFileA(newPath, path)) return;
    error = GetLastError();
  }
  CXX::raiseSystemError("replace_file", error == 0 ? 0xFFFFFFFFu : error);
}

bool isPathSeparator(char c) { return c == '/' || c == '\\'; }

void yieldProcessor() { SwitchToThread(); }

}  // namespace env
}  // namespace kiv
