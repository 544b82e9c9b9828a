// Quarvo::ProcessInfo: what the process walk tells its visitor about one process.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace Quarvo {

// Account names are looked up with room for this many characters (plus the terminating zero).
constexpr size_t kAccountNameCapacity = 128;

struct ProcessInfo {
  bool immersive;           // a store (packaged) application
  uint32_t processId;
  const wchar_t* exeFile;   // file name only, as the process snapshot gives it
  HANDLE process;           // query-information plus the walk's extra access; valid only during the visit
  wchar_t user[kAccountNameCapacity + 1];  // account name of the process's user
};

// Called once per process; answering 0 ends the walk.
using ProcessVisitor = int (*)(const ProcessInfo* info, void* context);

}  // namespace Quarvo
