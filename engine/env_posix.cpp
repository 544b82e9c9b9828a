// POSIX implementation of the engine's seam (Env.h): the host-native build.
#include <errno.h>
#include <fcntl.h>
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Env.h"

#include "CXXRuntime/CXXBase"

namespace kiv {
namespace env {

namespace {
uint32_t lastError() { return static_cast<uint32_t>(errno); }
}  // namespace

FileHandle openForReading(const char* path) {
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) CXX::raiseSystemError("CreateFile", lastError());
  return fd;
}

uint64_t fileSize(FileHandle file) {
  struct stat status;
  if (fstat(file, &status) != 0) CXX::raiseSystemError("GetFileSizeEx", lastError());
  return static_cast<uint64_t>(status.st_size);
}

void closeFile(FileHandle file) { close(file); }

void setFileSize(FileHandle file, uint64_t size) {
  if (ftruncate(file, static_cast<off_t>(size)) != 0) CXX::raiseSystemError("SetEndOfFile", lastError());
  if (lseek(file, 0, SEEK_SET) < 0) CXX::raiseSystemError("SetFilePointer(begin)", lastError());
}

WritableFile createForWriting(const char* path) {
  int fd = open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) CXX::raiseErrno("open", errno);
  return WritableFile{fd, fd};
}

void truncateTo(const WritableFile& file, uint64_t size) {
  if (ftruncate(file.descriptor, static_cast<off_t>(size)) != 0) CXX::raiseErrno("ftruncate", errno);
}

void closeWritable(const WritableFile& file) { close(file.descriptor); }

void removeFile(const char* path) { unlink(path); }

bool createTemporaryFile(const char* directory, std::string* path, FileHandle* file) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    std::string name = std::string(directory) + "/KivXXXXXX";
    int fd = mkstemp(&name[0]);
    if (fd >= 0) {
      *path = name;
      *file = fd;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool writeAll(FileHandle file, const void* bytes, size_t length) {
  const char* next = static_cast<const char*>(bytes);
  while (length > 0) {
    ssize_t written = write(file, next, length);
    if (written <= 0) return false;
    next += written;
    length -= static_cast<size_t>(written);
  }
  return true;
}

void replaceFile(const char* path, const char* newPath) {
  // rename() swaps atomically and also covers "no list file yet".
  if (rename(newPath, path) != 0) CXX::raiseSystemError("replace_file", lastError());
}

bool isPathSeparator(char c) { return c == '/'; }

void yieldProcessor() { sched_yield(); }

}  // namespace env
}  // namespace kiv
