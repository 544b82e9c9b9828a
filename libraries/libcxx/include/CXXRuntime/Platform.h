// The runtime's one seam to the operating system: file mapping, critical sections, system
// heaps and module look-up. platform_win.cpp implements it with Win32, platform_posix.cpp with
// POSIX for the host-native build; nothing else in the runtime sees an OS header.
//
// Failing calls report a numeric error code (GetLastError on Windows, errno on POSIX) that
// callers hand to raiseSystemError with the Windows operation name, so messages keep the
// "<operation>: <code>" form on both systems.
#pragma once

#include <cstddef>
#include <cstdint>

namespace CXX {
namespace platform {

#ifdef _WIN32
using FileHandle = void*;  // HANDLE
#else
using FileHandle = int;  // file descriptor
#endif
using MappingHandle = void*;

// A mapping object for the whole current extent of file; null on failure with *error set.
MappingHandle createFileMapping(FileHandle file, bool readOnly, uint32_t* error);
// A view of the first length bytes; null on failure with *error set.
void* mapViewOfFile(MappingHandle mapping, bool readOnly, uint64_t length, uint32_t* error);
void unmapViewOfFile(MappingHandle mapping, void* view);
void closeFileMapping(MappingHandle mapping);

// Blocks from a system heap handle (heap values other than 0 and 1 of CXX::Allocator).
void* heapAlloc(intptr_t heap, size_t length);
void heapFree(intptr_t heap, void* bytes);

// The load address of the module holding address; false when the system cannot tell.
bool moduleBaseOf(const void* address, uintptr_t* base);

// A lock for short critical sections, spinning briefly before it sleeps.
class CriticalSection {
 public:
  // Throws SystemError "InitializeCriticalSectionAndSpinCount: <code>".
  explicit CriticalSection(uint32_t spinCount);
  ~CriticalSection();
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void lock();
  void unlock();

 private:
  void* impl_;
};

class ScopedLock {
 public:
  explicit ScopedLock(CriticalSection& section) : section_(section) { section_.lock(); }
  ~ScopedLock() { section_.unlock(); }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  CriticalSection& section_;
};

}  // namespace platform
}  // namespace CXX
