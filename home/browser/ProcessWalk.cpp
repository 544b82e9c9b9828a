#include "ProcessWalk.h"

#include <windows.h>
#include <tlhelp32.h>

#include "PackageFamily.h"
#include "ProcessOwner.h"
#include "ScopedHandle.h"

namespace Quarvo {

namespace {

struct Walk {
  DWORD access;
  ProcessVisitor visitor;
  void* context;
};

// False when the visitor ended the walk. Processes that cannot be opened or named are passed over.
bool visitEntry(const PROCESSENTRY32W& entry, const Walk& walk) noexcept {
  ScopedHandle process(OpenProcess(walk.access, FALSE, entry.th32ProcessID));
  if (!process || entry.szExeFile[0] == L'\0') return true;
  ProcessInfo info{};
  if (!processOwnerName(process.get(), info.user, kAccountNameCapacity + 1)) return true;
  info.immersive = isImmersive(process.get());
  info.processId = entry.th32ProcessID;
  info.exeFile = entry.szExeFile;
  info.process = process.get();
  return walk.visitor(&info, walk.context) != 0;
}

}  // namespace

uint32_t forEachProcess(uint32_t extraAccess, ProcessVisitor visitor, void* context) noexcept {
  if (!visitor) return ERROR_INVALID_PARAMETER;
  ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return GetLastError();
  PROCESSENTRY32W entry;
  entry.dwSize = sizeof entry;
  if (!Process32FirstW(snapshot.get(), &entry)) {
    const DWORD error = GetLastError();
    return error == ERROR_NO_MORE_FILES ? 0 : error;
  }
  const Walk walk{PROCESS_QUERY_INFORMATION | extraAccess, visitor, context};
  do {
    if (!visitEntry(entry, walk)) return 0;
  } while (Process32NextW(snapshot.get(), &entry));
  return 0;
}

}  // namespace Quarvo
