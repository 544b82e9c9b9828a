// Test support: the helper programs built next to the tests (closing_window, stubborn_window),
// running them as child processes and copying them elsewhere.
#pragma once

#include <windows.h>

#include <string>

#include "ScopedHandle.h"

namespace Quarvo::testing {

// closing_window's exit code when it honoured WM_CLOSE.
constexpr DWORD kClosedExitCode = 7;

// The full path of a file beside the running test program.
std::wstring besideTestProgram(const wchar_t* fileName);

// A test helper program, started and waited for until its window exists; ended (if still
// running) and waited for when the object goes away.
class ChildProgram {
 public:
  explicit ChildProgram(const std::wstring& path);
  ~ChildProgram();
  ChildProgram(const ChildProgram&) = delete;
  ChildProgram& operator=(const ChildProgram&) = delete;

  // Whether it started and put up its window.
  bool ready() const { return ready_; }
  DWORD processId() const { return processId_; }
  bool running() const;
  // Its exit code once it ended within `timeoutMs`, or STILL_ACTIVE.
  DWORD exitCode(DWORD timeoutMs) const;

 private:
  ScopedHandle process_;
  DWORD processId_ = 0;
  bool ready_ = false;
};

// A copy of a file in a fresh temporary folder; both are removed when the object goes away.
class CopyInTempFolder {
 public:
  explicit CopyInTempFolder(const std::wstring& source);
  ~CopyInTempFolder();
  CopyInTempFolder(const CopyInTempFolder&) = delete;
  CopyInTempFolder& operator=(const CopyInTempFolder&) = delete;

  const std::wstring& path() const { return path_; }

 private:
  std::wstring folder_;
  std::wstring path_;
};

// The name of the account this test runs under.
std::wstring currentUserName();

}  // namespace Quarvo::testing
