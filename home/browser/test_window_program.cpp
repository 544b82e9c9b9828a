// Test helper: a program with one hidden top-level window. Built twice: closing_window exits
// with kClosedExitCode when asked to close; stubborn_window ignores WM_CLOSE. Either ends by
// itself after a minute, so a failed test leaves nothing running.
#include <windows.h>

namespace {

constexpr int kClosedExitCode = 7;
constexpr int kTimedOutExitCode = 3;
constexpr UINT kLifetimeMs = 60000;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      if (!QUARVO_IGNORES_CLOSE) PostQuitMessage(kClosedExitCode);
      return 0;
    case WM_TIMER:
      PostQuitMessage(kTimedOutExitCode);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &windowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"Quarvo.TestWindow";
  if (!RegisterClassW(&windowClass)) return 1;
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"test window", WS_OVERLAPPED, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (!window) return 2;
  SetTimer(window, 1, kLifetimeMs, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return static_cast<int>(message.wParam);
}
