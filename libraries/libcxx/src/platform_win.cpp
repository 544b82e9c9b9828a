// Win32 implementation of the runtime's OS seam (CXXRuntime/Platform.h).
#include <windows.h>
#include <psapi.h>

#include "CXXRuntime/CXXBase"

namespace CXX {
namespace platform {

MappingHandle createFileMapping(FileHandle file, bool readOnly, uint32_t* error) {
  HANDLE mapping = CreateFileMappingW(static_cast<HANDLE>(file), nullptr,
                                      readOnly ? PAGE_READONLY : PAGE_READWRITE, 0, 0, nullptr);
  if (mapping == nullptr) *error = GetLastError();
  return mapping;
}

void* mapViewOfFile(MappingHandle mapping, bool readOnly, uint64_t length, uint32_t* error) {
  if (length > SIZE_MAX) {
    *error = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  void* view = MapViewOfFile(static_cast<HANDLE>(mapping), readOnly ? FILE_MAP_READ : FILE_MAP_ALL_ACCESS,
                             0, 0, static_cast<SIZE_T>(length));
  if (view == nullptr) *error = GetLastError();
  return view;
}

void unmapViewOfFile(MappingHandle, void* view) { UnmapViewOfFile(view); }

void closeFileMapping(MappingHandle mapping) { CloseHandle(static_cast<HANDLE>(mapping)); }

void* heapAlloc(intptr_t heap, size_t length) {
  return HeapAlloc(reinterpret_cast<HANDLE>(heap), 0, length);
}

void heapFree(intptr_t heap, void* bytes) { HeapFree(reinterpret_cast<HANDLE>(heap), 0, bytes); }

bool moduleBaseOf(const void* address, uintptr_t* base) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCWSTR>(address), &module))
    return false;
  MODULEINFO info = {};
  if (!GetModuleInformation(GetCurrentProcess(), module, &info, sizeof info)) return false;
  *base = reinterpret_cast<uintptr_t>(info.lpBaseOfDll);
  return true;
}

CriticalSection::CriticalSection(uint32_t spinCount) : impl_(new CRITICAL_SECTION) {
  if (!InitializeCriticalSectionAndSpinCount(static_cast<CRITICAL_SECTION*>(impl_), spinCount)) {
    DWORD error = GetLastError();
    delete static_cast<CRITICAL_SECTION*>(impl_);
    raiseSystemError("InitializeCriticalSectionAndSpinCount", error);
  }
}

CriticalSection::~CriticalSection() {
  DeleteCriticalSection(static_cast<CRITICAL_SECTION*>(impl_));
  delete static_cast<CRITICAL_SECTION*>(impl_);
}

void CriticalSection::lock() { EnterCriticalSection(static_cast<CRITICAL_SECTION*>(impl_)); }

void CriticalSection::unlock() { LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(impl_)); }

}  // namespace platform
}  // namespace CXX
