// Firefox and SeaMonkey registrations the test writes into the Wine prefix (and removes).
#include "FirefoxDirectories.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ScopedKey.h"

namespace {

void setText(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
  Quarvo::ScopedKey key;
  ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.receive(), nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool contains(const std::vector<std::u16string>& found, const std::u16string& directory) {
  return std::find(found.begin(), found.end(), directory) != found.end();
}

class FirefoxDirectoriesTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Mozilla\\QuarvoTest");
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe");
    SHDeleteKeyW(HKEY_CLASSES_ROOT, L"Applications\\seamonkey.exe");
  }
};

TEST_F(FirefoxDirectoriesTest, CommandsKeepTheirCaseAndPathToExeIsLowerCased) {
  setText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe", nullptr,
          L"\"C:\\Apps\\Fire Fox\\firefox.exe\" -osint");
  setText(HKEY_CLASSES_ROOT, L"Applications\\seamonkey.exe\\shell\\open\\command", nullptr,
          L"\"C:\\Apps\\SeaMonkey\\seamonkey.exe -url");  // never closed: nothing
  setText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Mozilla\\QuarvoTest\\120.0 (x64 en-US)\\Main", L"PathToExe",
          L"C:\\Program Files\\Mozilla FIREFOX\\firefox.exe");
  setText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Mozilla\\QuarvoTest\\Other\\Main", L"PathToExe",
          L"C:\\Elsewhere\\thunderbird.exe");
  std::vector<std::u16string> found = Quarvo::firefoxDirectories();
  EXPECT_TRUE(contains(found, u"C:\\Apps\\Fire Fox\\"));
  EXPECT_TRUE(contains(found, u"c:\\program files\\mozilla firefox\\"));
  EXPECT_FALSE(contains(found, u"c:\\elsewhere\\"));
  for (const std::u16string& directory : found) EXPECT_EQ(directory.find(u"SeaMonkey"), std::u16string::npos);
}

TEST_F(FirefoxDirectoriesTest, OnlyStringValuesCountAndDeepTreesEnd) {
  Quarvo::ScopedKey key;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Mozilla\\QuarvoTest\\Number", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                  key.receive(), nullptr);
  DWORD number = 7;
  RegSetValueExW(key.get(), L"PathToExe", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  std::wstring deep = L"SOFTWARE\\Mozilla\\QuarvoTest";
  for (int depth = 0; depth < 40; ++depth) deep += L"\\d";
  setText(HKEY_LOCAL_MACHINE, deep, L"PathToExe", L"C:\\TooDeep\\firefox.exe");
  setText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Mozilla\\QuarvoTest\\d\\d", L"PathToExe", L"C:\\Shallow\\firefox.exe");
  std::vector<std::u16string> found = Quarvo::firefoxDirectories();
  EXPECT_TRUE(contains(found, u"c:\\shallow\\"));
  EXPECT_FALSE(contains(found, u"c:\\toodeep\\")) << "below the depth limit";
}

}  // namespace
