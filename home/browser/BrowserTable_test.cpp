// The browser table and a browser found running: a test program copied as "Firefox.EXE".
#include "BrowserTable.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "TestPrograms.h"

namespace {

using Quarvo::isBrowserExecutable;

TEST(BrowserTable, NamesMatchWholeAndIgnoringCase) {
  int count = 0;
  for (const wchar_t* const* b = Quarvo::kBrowserExecutables; *b != nullptr; ++b) ++count;
  EXPECT_EQ(count, 31);
  EXPECT_TRUE(isBrowserExecutable(L"FireFox.EXE"));
  EXPECT_TRUE(isBrowserExecutable(L"crazy browser.exe"));
  EXPECT_TRUE(isBrowserExecutable(L"3B.exe"));
  EXPECT_FALSE(isBrowserExecutable(L"firefox.exe.bak"));
  EXPECT_FALSE(isBrowserExecutable(L"notfirefox.exe"));
  EXPECT_FALSE(isBrowserExecutable(nullptr));
}

TEST(BrowserTable, ARunningBrowserIsFoundForItsUserOnly) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"browser-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  std::wstring browser = folder + L"\\Firefox.EXE";
  ASSERT_TRUE(CopyFileW(Quarvo::testing::besideTestProgram(L"closing_window.exe").c_str(), browser.c_str(), FALSE));
  {
    EXPECT_FALSE(Quarvo::isBrowserRunning(L"root")) << "none yet";
    Quarvo::testing::ChildProgram running(browser);
    ASSERT_TRUE(running.ready());
    std::wstring user = Quarvo::testing::currentUserName();
    for (wchar_t& c : user) c = static_cast<wchar_t>(towupper(c));
    EXPECT_TRUE(Quarvo::isBrowserRunning(user.c_str()));
    EXPECT_TRUE(Quarvo::isBrowserRunning(nullptr));
    EXPECT_FALSE(Quarvo::isBrowserRunning(L"somebody else"));
  }
  DeleteFileW(browser.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
