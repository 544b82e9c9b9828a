// The preference file pairs in a scratch folder, and where Opera's are looked for.
#include "PreferenceFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "OperaDirectories.h"

namespace {

namespace fs = std::filesystem;

class PreferenceFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("setup-browsers-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "defaults" / "pref");
  }
  void TearDown() override { fs::remove_all(folder_); }

  void plant(const fs::path& relative, const std::string& contents) { std::ofstream(folder_ / relative) << contents; }
  bool exists(const fs::path& relative) const { return fs::exists(folder_ / relative); }
  // As the registry gives it: with its separator at the end.
  std::wstring directory() const { return folder_.wstring() + L"\\"; }

  fs::path folder_;
};

TEST_F(PreferenceFilesTest, EachFirefoxPairGoesWhenItsFirstFileWent) {
  plant("defaults/pref/custom.js", "pref");
  plant("locked.prefs", "locked");
  plant("defaults/pref/parentalcontrol.js", "pref");
  plant("parentalcontrol.cfg", "cfg");
  plant("other.cfg", "kept");
  setup::removeFirefoxPreferences(directory());
  EXPECT_FALSE(exists("defaults/pref/custom.js"));
  EXPECT_FALSE(exists("locked.prefs"));
  EXPECT_FALSE(exists("defaults/pref/parentalcontrol.js"));
  EXPECT_FALSE(exists("parentalcontrol.cfg"));
  EXPECT_TRUE(exists("other.cfg"));
}

TEST_F(PreferenceFilesTest, WithoutItsFirstFileTheSecondStays) {
  plant("locked.prefs", "locked");
  plant("defaults/pref/parentalcontrol.js", "pref");
  plant("parentalcontrol.cfg", "cfg");
  setup::removeFirefoxPreferences(directory());
  EXPECT_TRUE(exists("locked.prefs")) << "custom.js was absent";
  EXPECT_FALSE(exists("parentalcontrol.cfg"));

  plant("parentalcontrol.cfg", "cfg");
  setup::removeFirefoxPreferences(directory());
  EXPECT_TRUE(exists("parentalcontrol.cfg")) << "parentalcontrol.js was absent";
}

TEST_F(PreferenceFilesTest, OperaWithoutABackupLosesTheFixedFileAndABackupAloneStays) {
  plant("operaprefs_fixed.ini", "fixed");
  setup::restoreOperaPreferences(folder_.wstring());
  EXPECT_FALSE(exists("operaprefs_fixed.ini")) << "deleted, nothing to restore";

  plant("operaprefs_fixed.ini.orig", "original");
  setup::restoreOperaPreferences(folder_.wstring());
  EXPECT_TRUE(exists("operaprefs_fixed.ini.orig")) << "a backup alone stays a backup";
  EXPECT_FALSE(exists("operaprefs_fixed.ini"));
}

// A 64-bit program does not see Sysnative on 64-bit Windows, nor under 64-bit Wine: only the
// 32-bit plug-in reaches the 64-bit system directory there.
TEST(OperaDirectoriesTest, TheSystemDirectoryThenSysnative) {
  wchar_t system[MAX_PATH];
  wchar_t windows[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  EXPECT_EQ(setup::operaDirectories(), (std::vector<std::wstring>{system, std::wstring(windows) + L"\\Sysnative"}));
#ifdef _WIN64
  EXPECT_EQ(GetFileAttributesW((std::wstring(windows) + L"\\Sysnative").c_str()), INVALID_FILE_ATTRIBUTES);
#endif
}

}  // namespace
