#include "ApplicationTermination.h"

#include <windows.h>

#include <cwchar>

#include "CaseInsensitiveText.h"
#include "PackageFamily.h"
#include "ProcessImagePath.h"
#include "ProcessWalk.h"
#include "ScopedHandle.h"

namespace Quarvo {

namespace {

constexpr wchar_t kStorePrefix[] = L"pkg:";
constexpr size_t kStorePrefixLength = sizeof kStorePrefix / sizeof kStorePrefix[0] - 1;
constexpr uint32_t kFamilyNameCapacity = 256;
constexpr DWORD kCloseTimeoutMs = 1000;

struct Target {
  bool store;
  const wchar_t* name;  // family name or full image path
  size_t nameLength;
  const wchar_t* user;  // null: any user
};

Target targetOf(const wchar_t* application, const wchar_t* user) noexcept {
  const bool store = std::wcsncmp(application, kStorePrefix, kStorePrefixLength) == 0;
  const wchar_t* name = store ? application + kStorePrefixLength : application;
  return Target{store, name, std::wcslen(name), user};
}

bool hasFamilyName(HANDLE process, const Target& target) noexcept {
  wchar_t familyName[kFamilyNameCapacity];
  uint32_t length = kFamilyNameCapacity;
  if (packageFamilyNameOf(process, &length, familyName) != ERROR_SUCCESS) return false;
  return equalIgnoringCase(familyName, target.name);
}

bool runsImage(const ProcessInfo& info, const Target& target) noexcept {
  if (!endsWithIgnoringCase(target.name, target.nameLength, info.exeFile, std::wcslen(info.exeFile))) return false;
  wchar_t path[MAX_PATH];
  uint32_t length = MAX_PATH;
  if (!processImagePath(info.process, path, &length)) return false;
  return equalIgnoringCase(path, length, target.name, target.nameLength);
}

BOOL CALLBACK postCloseToWindowOf(HWND window, LPARAM processId) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(processId)) PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

// Asks the process to close its top-level windows; ends it when it is still running a second later.
void closeDesktopProcess(uint32_t processId) noexcept {
  ScopedHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
  if (!process) return;
  EnumWindows(&postCloseToWindowOf, static_cast<LPARAM>(processId));
  if (WaitForSingleObject(process.get(), kCloseTimeoutMs) != WAIT_OBJECT_0) TerminateProcess(process.get(), 0);
}

void endIfTarget(const ProcessInfo& info, const Target& target) noexcept {
  if (info.immersive != target.store) return;
  if (target.user && !equalIgnoringCase(info.user, target.user)) return;
  if (target.store) {
    if (hasFamilyName(info.process, target)) TerminateProcess(info.process, 0);
    return;
  }
  if (runsImage(info, target)) closeDesktopProcess(info.processId);
}

}  // namespace

void terminateApplication(const wchar_t* application, const wchar_t* user) noexcept {
  if (!application) return;
  const Target target = targetOf(application, user);
  forEachProcess(PROCESS_TERMINATE, [&target](const ProcessInfo& info) {
    endIfTarget(info, target);
    return true;
  });
}

}  // namespace Quarvo
