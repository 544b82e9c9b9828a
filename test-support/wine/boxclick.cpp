// Test-only: finds the session helper's fallback message box among the top-level windows,
// prints its caption and text ("caption|text"), and with --dismiss presses its OK button.
// Exits 1 when no such box appears within the wait.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

HWND found = nullptr;

BOOL CALLBACK visit(HWND window, LPARAM) {
  wchar_t className[64];
  if (GetClassNameW(window, className, 64) && wcscmp(className, L"#32770") == 0 && GetDlgItem(window, 0xFFFF)) {
    found = window;
    return FALSE;
  }
  return TRUE;
}

std::string utf8(const wchar_t* text) {
  char out[2048];
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr);
  return n > 0 ? std::string(out) : std::string();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  bool dismiss = argc > 1 && wcscmp(argv[1], L"--dismiss") == 0;
  for (int waited = 0; waited < 100 && !found; ++waited) {
    EnumWindows(&visit, 0);
    if (!found) Sleep(100);
  }
  if (!found) {
    std::printf("no box\n");
    return 1;
  }
  wchar_t caption[512], text[2048];
  GetWindowTextW(found, caption, 512);
  GetWindowTextW(GetDlgItem(found, 0xFFFF), text, 2048);
  std::printf("%s|%s\n", utf8(caption).c_str(), utf8(text).c_str());
  std::fflush(stdout);
  if (dismiss) PostMessageW(found, WM_COMMAND, IDOK, 0);
  return 0;
}
