// Checks on the Wine prefix itself that later suites rely on: it reports Windows 10, and
// windows and timers work with the null graphics driver (no X server).
#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(WineHarness, ReportsWindows10) {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  ASSERT_NE(rtlGetVersion, nullptr);
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  ASSERT_EQ(rtlGetVersion(&version), 0);
  EXPECT_EQ(version.dwMajorVersion, 10u);
}

TEST(WineHarness, HiddenWindowReceivesTimerMessages) {
  HWND window = CreateWindowExW(0, L"STATIC", L"harness", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  ASSERT_NE(SetTimer(window, 7, 10, nullptr), 0u);
  MSG message;
  bool fired = false;
  DWORD deadline = GetTickCount() + 5000;
  while (!fired && GetTickCount() < deadline) {
    if (!PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
      continue;
    }
    fired = message.message == WM_TIMER && message.wParam == 7;
  }
  KillTimer(window, 7);
  DestroyWindow(window);
  EXPECT_TRUE(fired);
}

}  // namespace
