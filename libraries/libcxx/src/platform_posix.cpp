// POSIX implementation of the runtime's OS seam (CXXRuntime/Platform.h), for the host-native
// build. Operation names stay the Windows ones and errors keep the "%s: %u" form, carrying the
// errno value where Windows would give its error code.
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CXXRuntime/CXXBase"

namespace CXX {
namespace platform {

namespace {

// What a Windows file mapping object records: a file and its extent when mapped.
struct PosixMapping {
  int fd;
  uint64_t size;
  uint64_t viewLength;
};

}  // namespace

MappingHandle createFileMapping(FileHandle file, bool, uint32_t* error) {
  struct stat status;
  if (fstat(file, &status) != 0) {
    *error = static_cast<uint32_t>(errno);
    return nullptr;
  }
  // Windows refuses to map an empty file when asked for the file's own size; do the same.
  if (status.st_size == 0) {
    *error = EINVAL;
    return nullptr;
  }
  int fd = dup(file);
  if (fd < 0) {
    *error = static_cast<uint32_t>(errno);
    return nullptr;
  }
  return new PosixMapping{fd, static_cast<uint64_t>(status.st_size), 0};
}

void* mapViewOfFile(MappingHandle handle, bool readOnly, uint64_t length, uint32_t* error) {
  auto* mapping = static_cast<PosixMapping*>(handle);
  // As on Windows: length 0 maps the whole file and a view may not reach past its end
  // (POSIX would map it and fault on access instead).
  uint64_t viewLength = length ? length : mapping->size;
  if (viewLength > mapping->size || viewLength > SIZE_MAX) {
    *error = EACCES;
    return nullptr;
  }
  void* view = mmap(nullptr, static_cast<size_t>(viewLength), readOnly ? PROT_READ : PROT_READ | PROT_WRITE,
                    MAP_SHARED, mapping->fd, 0);
  if (view == MAP_FAILED) {
    *error = static_cast<uint32_t>(errno);
    return nullptr;
  }
  mapping->viewLength = viewLength;
  return view;
}

void unmapViewOfFile(MappingHandle handle, void* view) {
  munmap(view, static_cast<size_t>(static_cast<PosixMapping*>(handle)->viewLength));
}

void closeFileMapping(MappingHandle handle) {
  auto* mapping = static_cast<PosixMapping*>(handle);
  close(mapping->fd);
  delete mapping;
}

// POSIX has no system heaps: such an allocator gives no memory.
void* heapAlloc(intptr_t, size_t) { return nullptr; }

void heapFree(intptr_t, void*) {}

bool moduleBaseOf(const void* address, uintptr_t* base) {
  Dl_info info;
  if (dladdr(address, &info) == 0 || info.dli_fbase == nullptr) return false;
  *base = reinterpret_cast<uintptr_t>(info.dli_fbase);
  return true;
}

// The spin count is a Windows tuning knob; a pthread mutex spins adaptively on its own.
CriticalSection::CriticalSection(uint32_t) : impl_(new pthread_mutex_t) {
  int error = pthread_mutex_init(static_cast<pthread_mutex_t*>(impl_), nullptr);
  if (error != 0) {
    delete static_cast<pthread_mutex_t*>(impl_);
    raiseSystemError("InitializeCriticalSectionAndSpinCount", static_cast<uint32_t>(error));
  }
}

CriticalSection::~CriticalSection() {
  pthread_mutex_destroy(static_cast<pthread_mutex_t*>(impl_));
  delete static_cast<pthread_mutex_t*>(impl_);
}

void CriticalSection::lock() { pthread_mutex_lock(static_cast<pthread_mutex_t*>(impl_)); }

void CriticalSection::unlock() { pthread_mutex_unlock(static_cast<pthread_mutex_t*>(impl_)); }

}  // namespace platform
}  // namespace CXX
