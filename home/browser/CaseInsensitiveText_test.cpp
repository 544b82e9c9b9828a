#include "CaseInsensitiveText.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace Quarvo {
namespace {

TEST(CaseInsensitiveText, WholeTextsMatchInAnyCaseIncludingBeyondAscii) {
  EXPECT_TRUE(equalIgnoringCase(L"C:\\Program Files\\App.EXE", L"c:\\program files\\app.exe"));
  EXPECT_TRUE(equalIgnoringCase(L"\u00c9T\u00c9 \u0416", L"\u00e9t\u00e9 \u0436"));
  EXPECT_FALSE(equalIgnoringCase(L"e", L"\u00e9"));
  EXPECT_FALSE(equalIgnoringCase(L"app.exe", L"app.ex"));
  EXPECT_FALSE(equalIgnoringCase(L"app.exe", L"app.exe "));
}

TEST(CaseInsensitiveText, PrefixesAndSuffixes) {
  const auto startsWith = [](const wchar_t* text, const wchar_t* prefix) {
    return startsWithIgnoringCase(text, std::wcslen(text), prefix, std::wcslen(prefix));
  };
  const auto endsWith = [](const wchar_t* text, const wchar_t* suffix) {
    return endsWithIgnoringCase(text, std::wcslen(text), suffix, std::wcslen(suffix));
  };
  EXPECT_TRUE(startsWith(L"\\Device\\HarddiskVolume1\\x", L"\\DEVICE\\harddiskvolume1"));
  EXPECT_FALSE(startsWith(L"\\Device", L"\\Device\\X"));
  EXPECT_TRUE(endsWith(L"C:\\a\\Notepad.exe", L"NOTEPAD.EXE"));
  EXPECT_FALSE(endsWith(L"pad.exe", L"notepad.exe"));
  EXPECT_FALSE(endsWith(L"C:\\a\\notepad.exe", L"notepad.com"));
}

}  // namespace
}  // namespace Quarvo
