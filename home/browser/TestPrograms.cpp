#include "TestPrograms.h"

#include <string>
#include <utility>
#include <vector>

namespace Quarvo::testing {

namespace {

constexpr DWORD kStartTimeoutMs = 20000;

BOOL CALLBACK findWindowOf(HWND window, LPARAM context) {
  auto* wanted = reinterpret_cast<std::pair<DWORD, bool>*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != wanted->first) return TRUE;
  wanted->second = true;
  return FALSE;
}

bool hasTopLevelWindow(DWORD processId) {
  std::pair<DWORD, bool> wanted{processId, false};
  EnumWindows(&findWindowOf, reinterpret_cast<LPARAM>(&wanted));
  return wanted.second;
}

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }
std::wstring fileNameOf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

}  // namespace

std::wstring besideTestProgram(const wchar_t* fileName) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  return folderOf(std::wstring(self, length)) + L"\\" + fileName;
}

ChildProgram::ChildProgram(const std::wstring& path) {
  std::vector<wchar_t> commandLine(path.begin(), path.end());
  commandLine.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started))
    return;
  ScopedHandle thread(started.hThread);
  process_ = ScopedHandle(started.hProcess);
  processId_ = started.dwProcessId;
  const DWORD start = GetTickCount();
  while (running() && GetTickCount() - start < kStartTimeoutMs) {
    if (hasTopLevelWindow(processId_)) {
      ready_ = true;
      return;
    }
    Sleep(20);
  }
}

ChildProgram::~ChildProgram() {
  if (!process_ || !running()) return;
  TerminateProcess(process_.get(), 1);
  WaitForSingleObject(process_.get(), 5000);
}

bool ChildProgram::running() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

DWORD ChildProgram::exitCode(DWORD timeoutMs) const {
  WaitForSingleObject(process_.get(), timeoutMs);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}

CopyInTempFolder::CopyInTempFolder(const std::wstring& source) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  folder_ = std::wstring(temp) + L"homebrowser-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount());
  CreateDirectoryW(folder_.c_str(), nullptr);
  path_ = folder_ + L"\\" + fileNameOf(source);
  CopyFileW(source.c_str(), path_.c_str(), FALSE);
}

CopyInTempFolder::~CopyInTempFolder() {
  DeleteFileW(path_.c_str());
  RemoveDirectoryW(folder_.c_str());
}

std::wstring currentUserName() {
  wchar_t name[256];
  DWORD length = 256;
  if (!GetUserNameW(name, &length)) return std::wstring();
  return name;
}

}  // namespace Quarvo::testing
