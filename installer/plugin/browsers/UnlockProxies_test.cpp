// UnlockProxies on the Wine prefix: the proxy planted for the account the tests run as and for
// a second user whose hive is mounted under HKEY_USERS, the browser policies, Firefox and
// SeaMonkey installations registered in either registry view, and Opera's fixed preferences in
// the system directory.
//
// Wine shares "App Paths" between the views but keeps "SOFTWARE\Clients", "SOFTWARE\Mozilla"
// and the classes root's "Applications" apart, so registrations there show which view was read.
#include "UnlockProxies.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "FirefoxInstallDirectories.h"
#include "InstallerState.h"
#include "ScopedHandle.h"
#include "ScopedKey.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const wchar_t kSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const wchar_t kConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
const wchar_t kExplorerPolicy[] = L"Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
const wchar_t* const kBrowserPolicies[] = {L"Software\\Policies\\Google\\Chrome", L"Software\\Policies\\Chromium"};
const wchar_t kMountedUser[] = L"S-1-5-21-7001-7002-7003-1201";
const char kProxy[] = "http=127.0.0.1:8080";
const wchar_t kWideProxy[] = L"http=127.0.0.1:8080";
constexpr REGSAM kOwnView = 0;

// Where a user's keys are: the account the tests run as, and the mounted one.
struct User {
  HKEY root;
  std::wstring prefix;
};
const User kUsers[] = {{HKEY_CURRENT_USER, L""}, {HKEY_USERS, std::wstring(kMountedUser) + L"\\"}};

void putWord(Bytes& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

Bytes connectionValue(std::uint32_t counter, std::uint32_t flags, const std::string& proxy, const std::string& bypass) {
  Bytes out;
  putWord(out, 0x46);
  putWord(out, counter);
  putWord(out, flags);
  putWord(out, static_cast<std::uint32_t>(proxy.size()));
  out.insert(out.end(), proxy.begin(), proxy.end());
  putWord(out, static_cast<std::uint32_t>(bypass.size()));
  out.insert(out.end(), bypass.begin(), bypass.end());
  out.insert(out.end(), {0xAB, 0xCD, 0xEF});
  return out;
}

void write(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type, const void* data, DWORD size,
           REGSAM view = kOwnView) {
  Quarvo::ScopedKey key;
  ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, key.receive(), nullptr),
            ERROR_SUCCESS)
      << path.c_str();
  ASSERT_EQ(RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

void writeText(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& text,
               REGSAM view = kOwnView) {
  write(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), view);
}

void writeNumber(HKEY root, const std::wstring& path, const wchar_t* name, DWORD number) {
  write(root, path, name, REG_DWORD, &number, sizeof number);
}

// The value's bytes; `present` false when it is missing.
Bytes read(HKEY root, const std::wstring& path, const wchar_t* name, bool* present = nullptr) {
  Quarvo::ScopedKey key;
  Bytes data(2048);
  DWORD size = static_cast<DWORD>(data.size());
  const bool found = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.receive()) == ERROR_SUCCESS &&
                     RegQueryValueExW(key.get(), name, nullptr, nullptr, data.data(), &size) == ERROR_SUCCESS;
  if (present) *present = found;
  data.resize(found ? size : 0);
  return data;
}

bool exists(HKEY root, const std::wstring& path, const wchar_t* name) {
  bool present = false;
  read(root, path, name, &present);
  return present;
}

void deleteKey(HKEY root, const wchar_t* parent, const wchar_t* child, REGSAM view) {
  Quarvo::ScopedKey key;
  if (RegOpenKeyExW(root, parent, 0, KEY_ALL_ACCESS | view, key.receive()) == ERROR_SUCCESS) SHDeleteKeyW(key.get(), child);
}

bool enablePrivilege(const wchar_t* name) {
  Quarvo::ScopedHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.receive())) return false;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  return LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid) &&
         AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr) &&
         GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

// A logged-off user's profile: an empty hive file mounted under HKEY_USERS (Wine does not write
// values set while mounted back to the file, so it is filled after mounting).
class MountedHive {
 public:
  explicit MountedHive(const std::wstring& sid) : sid_(sid) {
    wchar_t temp[MAX_PATH];
    file_ = std::wstring(temp, GetTempPathW(MAX_PATH, temp)) + L"setup-browsers-" + sid + L".hive";
    RegUnLoadKeyW(HKEY_USERS, sid_.c_str());
    DeleteFileW(file_.c_str());
    const std::wstring scratch = L"Software\\SetupBrowsersScratch";
    Quarvo::ScopedKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, scratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.receive(),
                        nullptr) != ERROR_SUCCESS) {
      return;
    }
    const LONG saved = RegSaveKeyW(key.get(), file_.c_str(), nullptr);
    key.reset();
    SHDeleteKeyW(HKEY_CURRENT_USER, scratch.c_str());
    mounted_ = saved == ERROR_SUCCESS && RegLoadKeyW(HKEY_USERS, sid_.c_str(), file_.c_str()) == ERROR_SUCCESS;
  }
  ~MountedHive() {
    if (mounted_) RegUnLoadKeyW(HKEY_USERS, sid_.c_str());
    DeleteFileW(file_.c_str());
  }
  MountedHive(const MountedHive&) = delete;
  MountedHive& operator=(const MountedHive&) = delete;

  bool mounted() const { return mounted_; }

 private:
  std::wstring sid_;
  std::wstring file_;
  bool mounted_ = false;
};

void unlockProxies() {
  setup::testing::InstallerState installer(1024, u'#');
  installer.push(u"left alone");
  setup::unlockProxies(installer.call());
  EXPECT_FALSE(installer.stackEmpty());
  EXPECT_TRUE(installer.untouched(10));
}

class UnlockProxiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(enablePrivilege(L"SeBackupPrivilege"));
    ASSERT_TRUE(enablePrivilege(L"SeRestorePrivilege"));
    hive_.emplace(kMountedUser);
    ASSERT_TRUE(hive_->mounted());
    for (const User& user : kUsers) {
      const Bytes value = connectionValue(5, 0x00A30103, kProxy, "<local>");
      write(user.root, user.prefix + kConnections, L"DefaultConnectionSettings", REG_BINARY, value.data(),
            static_cast<DWORD>(value.size()));
      writeText(user.root, user.prefix + kSettings, L"ProxyServer", kWideProxy);
      writeNumber(user.root, user.prefix + kSettings, L"ProxyEnable", 1);
    }
    writeNumber(HKEY_LOCAL_MACHINE, kExplorerPolicy, L"Proxy", 1);
    for (const wchar_t* policy : kBrowserPolicies) {
      writeText(HKEY_LOCAL_MACHINE, policy, L"ProxyServer", kWideProxy);
      writeText(HKEY_LOCAL_MACHINE, policy, L"ProxyBypassList", L"<local>");
      writeText(HKEY_LOCAL_MACHINE, policy, L"ProxyMode", L"fixed_servers");
      writeText(HKEY_LOCAL_MACHINE, policy, L"HomepageLocation", L"about:blank");
    }
  }
  void TearDown() override {
    for (const User& user : kUsers) {
      Quarvo::ScopedKey key;
      if (RegOpenKeyExW(user.root, (user.prefix + kConnections).c_str(), 0, KEY_ALL_ACCESS, key.receive()) ==
          ERROR_SUCCESS) {
        RegDeleteValueW(key.get(), L"DefaultConnectionSettings");
      }
    }
    for (const wchar_t* policy : kBrowserPolicies) {
      Quarvo::ScopedKey key;
      if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, policy, 0, KEY_ALL_ACCESS, key.receive()) == ERROR_SUCCESS) {
        RegDeleteValueW(key.get(), L"HomepageLocation");
      }
    }
  }

  std::optional<MountedHive> hive_;  // mounted once the privileges are enabled
};

TEST_F(UnlockProxiesTest, TheProxyLeavesEveryUserAndTheBrowserPolicies) {
  unlockProxies();
  for (const User& user : kUsers) {
    EXPECT_EQ(read(user.root, user.prefix + kConnections, L"DefaultConnectionSettings"),
              connectionValue(6, 0x00A30109, "", ""))
        << user.prefix.c_str();
    EXPECT_FALSE(exists(user.root, user.prefix + kSettings, L"ProxyServer")) << user.prefix.c_str();
    EXPECT_EQ(read(user.root, user.prefix + kSettings, L"ProxyEnable"), (Bytes{0, 0, 0, 0})) << user.prefix.c_str();
  }
  EXPECT_FALSE(exists(HKEY_LOCAL_MACHINE, kExplorerPolicy, L"Proxy"));
  for (const wchar_t* policy : kBrowserPolicies) {
    for (const wchar_t* name : {L"ProxyServer", L"ProxyBypassList", L"ProxyMode"}) {
      EXPECT_FALSE(exists(HKEY_LOCAL_MACHINE, policy, name)) << policy << L" " << name;
    }
    EXPECT_TRUE(exists(HKEY_LOCAL_MACHINE, policy, L"HomepageLocation")) << "not the product's";
  }
}

// Installations in a scratch folder, registered where Firefox and SeaMonkey register theirs.
class UnlockBrowserPreferencesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    std::wstring root(temp, GetTempPathW(MAX_PATH, temp));
    // Lower case throughout: "PathToExe" texts come back lower-cased.
    std::transform(root.begin(), root.end(), root.begin(), [](wchar_t c) { return static_cast<wchar_t>(towlower(c)); });
    root_ = root + L"setup-browsers-" + std::to_wstring(GetCurrentProcessId());
    fs::remove_all(root_);
    for (const wchar_t* installation : {L"a", L"b", L"c", L"d", L"firefox.exe"}) {
      fs::create_directories(root_ / installation / "defaults" / "pref");
      plant(fs::path(installation) / "defaults" / "pref" / "custom.js");
      plant(fs::path(installation) / "locked.prefs");
    }
  }
  void TearDown() override {
    deleteKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\StartMenuInternet", L"firefox.exe", KEY_WOW64_32KEY);
    deleteKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\StartMenuInternet", L"seamonkey.exe", KEY_WOW64_64KEY);
    deleteKey(HKEY_CLASSES_ROOT, L"Applications", L"firefox.exe", KEY_WOW64_32KEY);
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      deleteKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Mozilla", L"SetupBrowsersTest", view);
    }
    SetCurrentDirectoryW(previousDirectory_.c_str());
    fs::remove_all(root_);
  }

  void plant(const fs::path& relative) const { std::ofstream(root_ / relative) << "planted"; }
  bool exists(const fs::path& relative) const { return fs::exists(root_ / relative); }
  std::wstring installation(const wchar_t* name) const { return (root_ / name).wstring() + L"\\"; }

  void registerInstallations() {
    writeText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\StartMenuInternet\\firefox.exe\\shell\\open\\command", nullptr,
              L"\"" + installation(L"a") + L"firefox.exe\" -osint -url \"%1\"", KEY_WOW64_32KEY);
    writeText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\StartMenuInternet\\seamonkey.exe\\shell\\open\\command", nullptr,
              L"\"" + installation(L"b") + L"seamonkey.exe\"", KEY_WOW64_64KEY);
    writeText(HKEY_CLASSES_ROOT, L"Applications\\firefox.exe\\shell\\open\\command", nullptr, L"firefox.exe",
              KEY_WOW64_32KEY);
    writeText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Mozilla\\SetupBrowsersTest\\Mozilla Firefox 52.9\\Main", L"PathToExe",
              installation(L"c") + L"firefox.exe", KEY_WOW64_32KEY);
    writeText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Mozilla\\SetupBrowsersTest\\Mozilla Firefox 120.0\\Main", L"PathToExe",
              installation(L"d") + L"firefox.exe", KEY_WOW64_64KEY);
    writeText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Mozilla\\SetupBrowsersTest\\SeaMonkey 2.53\\Main", L"PathToExe",
              installation(L"c") + L"SeaMonkey.exe", KEY_WOW64_64KEY);
  }

  // The discovered directories inside the scratch folder, in order.
  std::vector<std::wstring> discovered() const {
    std::vector<std::wstring> inside;
    for (const std::wstring& directory : setup::firefoxInstallDirectories()) {
      if (directory.rfind(root_.wstring(), 0) == 0) inside.push_back(directory);
    }
    return inside;
  }

  fs::path root_;
  std::wstring previousDirectory_ = fs::current_path().wstring();
};

TEST_F(UnlockBrowserPreferencesTest, RegistrationsCountInThe32BitViewAndMozillaKeysInBoth) {
  registerInstallations();
  EXPECT_EQ(discovered(),
            (std::vector<std::wstring>{installation(L"a"), installation(L"c"), installation(L"d")}))
      << "b is registered only in the 64-bit view; c twice; the bare \"firefox.exe\" is no directory";
}

TEST_F(UnlockBrowserPreferencesTest, EachDiscoveredInstallationLosesItsPreferenceFiles) {
  registerInstallations();
  // The bare registration must not reach files relative to the working directory.
  SetCurrentDirectoryW(root_.wstring().c_str());
  unlockProxies();
  for (const wchar_t* removed : {L"a", L"c", L"d"}) {
    EXPECT_FALSE(exists(fs::path(removed) / "defaults" / "pref" / "custom.js")) << removed;
    EXPECT_FALSE(exists(fs::path(removed) / "locked.prefs")) << removed;
  }
  for (const wchar_t* kept : {L"b", L"firefox.exe"}) {
    EXPECT_TRUE(exists(fs::path(kept) / "defaults" / "pref" / "custom.js")) << kept;
    EXPECT_TRUE(exists(fs::path(kept) / "locked.prefs")) << kept;
  }
}

TEST(UnlockOperaPreferencesTest, TheSystemDirectoryGetsItsBackupBack) {
  wchar_t system[MAX_PATH];
  const fs::path directory(std::wstring(system, GetSystemDirectoryW(system, MAX_PATH)));
  const fs::path fixed = directory / "operaprefs_fixed.ini";
  const fs::path backup = directory / "operaprefs_fixed.ini.orig";
  std::ofstream(fixed) << "fixed";
  std::ofstream(backup) << "original";
  unlockProxies();
  std::ifstream restored(fixed);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(restored), std::istreambuf_iterator<char>()), "original");
  restored.close();
  EXPECT_FALSE(fs::exists(backup));
  fs::remove(fixed);
  fs::remove(backup);
}

}  // namespace
