// WinHomeUtils.setProxy through homebridge.dll for three users: the one the tests run as and
// two more whose hives are mounted under HKEY_USERS for each test, as a logged-off user's
// profile is on Windows.
//
// Wine 8 mounts a hive file written by RegSaveKeyW with RegLoadKeyW (SeBackupPrivilege and
// SeRestorePrivilege enabled, AdjustTokenPrivileges leaving no ERROR_NOT_ALL_ASSIGNED): the key
// is listed by RegEnumKeyExW on HKEY_USERS, and RegUnLoadKeyW takes it away again. It does not
// write values set while mounted back to the file, so a hive is built empty and filled after
// mounting; the file is only the way in.
//
// Wine's WinINet reads "ProxyEnable" and "ProxyServer" of the current user (not the connection
// values), so a child process checks what a browser started afterwards would use.
#include <windows.h>
#include <sddl.h>
#include <shlwapi.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "jnihost/HostTest.h"

namespace {

using jnihost::Object;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kUtils = "jni/com/quarvo/os/windows/WinHomeUtils";
const wchar_t kSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const wchar_t kConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
const wchar_t kExplorerPolicy[] = L"Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
const wchar_t* const kBrowserPolicies[] = {L"Software\\Policies\\Google\\Chrome", L"Software\\Policies\\Chromium"};
const wchar_t* const kExtraUsers[] = {L"S-1-5-21-7001-7002-7003-1101", L"S-1-5-21-7001-7002-7003-1102"};
const wchar_t* const kPlantedNames[] = {L"DefaultConnectionSettings", L"Office VPN", L"SavedLegacySettings", L"Note",
                                        L"Large"};

constexpr std::uint32_t kLeadingWord = 0x46;
constexpr std::uint32_t kDefaultFlags = 0x00A30105;  // high bits the rewrite must keep, direct and script
constexpr std::uint32_t kVpnFlags = 0x80000001;
constexpr std::size_t kLargeSize = 1024;

struct Value {
  DWORD type = REG_NONE;
  Bytes data;
  bool operator==(const Value& other) const { return type == other.type && data == other.data; }
};

// Type, length and bytes, for failure messages.
void PrintTo(const Value& value, std::ostream* out) {
  *out << "type " << value.type << ", " << value.data.size() << " bytes:";
  for (std::uint8_t byte : value.data) *out << ' ' << std::hex << static_cast<unsigned>(byte) << std::dec;
}

void putWord(Bytes& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A connection value laid out as browsers store it.
Bytes connectionValue(std::uint32_t counter, std::uint32_t flags, const std::string& proxy, const std::string& bypass,
                      const Bytes& tail) {
  Bytes out;
  putWord(out, kLeadingWord);
  putWord(out, counter);
  putWord(out, flags);
  putWord(out, static_cast<std::uint32_t>(proxy.size()));
  out.insert(out.end(), proxy.begin(), proxy.end());
  putWord(out, static_cast<std::uint32_t>(bypass.size()));
  out.insert(out.end(), bypass.begin(), bypass.end());
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

Bytes pattern(std::size_t size, std::uint8_t first) {
  Bytes out(size);
  for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(first + i);
  return out;
}

Bytes wideBytes(const std::wstring& text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  return Bytes(bytes, bytes + text.size() * sizeof(wchar_t));
}

// A text value as the registry holds it: RegSetValueExW counts the zero that follows the given
// text, so the stored length is the text's plus one character.
Bytes storedText(const std::wstring& text) { return wideBytes(text + L'\0'); }

Bytes dword(std::uint32_t value) {
  Bytes out;
  putWord(out, value);
  return out;
}

Value read(HKEY root, const std::wstring& path, const wchar_t* name) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
  Value value;
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
    value.data.resize(size);
    RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size);
    value.data.resize(size);
  } else {
    value.type = REG_NONE;
  }
  RegCloseKey(key);
  return value;
}

// Every value of a key by name.
std::map<std::wstring, Value> values(HKEY root, const std::wstring& path) {
  std::map<std::wstring, Value> all;
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return all;
  wchar_t name[513];
  for (DWORD index = 0;; ++index) {
    DWORD length = 513;
    if (RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    all[std::wstring(name, length)] = read(key, L"", name);
  }
  RegCloseKey(key);
  return all;
}

std::vector<std::wstring> usersListed() {
  std::vector<std::wstring> names;
  wchar_t name[513];
  for (DWORD index = 0;; ++index) {
    DWORD length = 513;
    if (RegEnumKeyExW(HKEY_USERS, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

std::wstring currentUserSid() {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return L"";
  std::uint8_t buffer[256];
  DWORD size = sizeof buffer;
  std::wstring sid;
  wchar_t* text = nullptr;
  if (GetTokenInformation(token, TokenUser, buffer, size, &size) &&
      ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
    sid = text;
    LocalFree(text);
  }
  CloseHandle(token);
  return sid;
}

bool enablePrivilege(const wchar_t* name) {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) return false;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool enabled = LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid) &&
                 AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                 GetLastError() != ERROR_NOT_ALL_ASSIGNED;
  CloseHandle(token);
  return enabled;
}

std::wstring temporaryFile(const std::wstring& name) {
  wchar_t directory[MAX_PATH];
  GetTempPathW(MAX_PATH, directory);
  return std::wstring(directory) + name;
}

// An empty hive file written from a scratch key, mounted under HKEY_USERS as `sid`; unmounted
// and deleted on destruction, and a mount an aborted run left behind is taken away first.
class MountedHive {
 public:
  explicit MountedHive(std::wstring sid) : sid_(std::move(sid)), file_(temporaryFile(L"quarvo-" + sid_ + L".hive")) {
    RegUnLoadKeyW(HKEY_USERS, sid_.c_str());
    DeleteFileW(file_.c_str());
    std::wstring scratch = L"Software\\QuarvoHiveScratch\\" + sid_;
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, scratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
      return;
    }
    saved_ = RegSaveKeyW(key, file_.c_str(), nullptr);
    RegCloseKey(key);
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QuarvoHiveScratch");
    if (saved_ == ERROR_SUCCESS) loaded_ = RegLoadKeyW(HKEY_USERS, sid_.c_str(), file_.c_str());
  }
  ~MountedHive() {
    if (loaded_ == ERROR_SUCCESS) RegUnLoadKeyW(HKEY_USERS, sid_.c_str());
    DeleteFileW(file_.c_str());
  }
  MountedHive(const MountedHive&) = delete;
  MountedHive& operator=(const MountedHive&) = delete;

  LONG saved() const { return saved_; }
  LONG loaded() const { return loaded_; }

 private:
  std::wstring sid_;
  std::wstring file_;
  LONG saved_ = ERROR_INVALID_FUNCTION;
  LONG loaded_ = ERROR_INVALID_FUNCTION;
};

// The connection values one user starts with; removed on destruction, with the Connections key
// when it was made for them.
class PlantedConnections {
 public:
  PlantedConnections(const std::wstring& sid, std::uint32_t counterBase) : path_(sid + L"\\" + kConnections) {
    DWORD disposition = 0;
    HKEY key;
    if (RegCreateKeyExW(HKEY_USERS, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition) !=
        ERROR_SUCCESS) {
      return;
    }
    created_ = disposition == REG_CREATED_NEW_KEY;
    for (const auto& [name, value] : initial(counterBase)) {
      if (RegSetValueExW(key, name.c_str(), 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size())) ==
          ERROR_SUCCESS) {
        ++written_;
      }
    }
    RegCloseKey(key);
  }
  ~PlantedConnections() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_USERS, path_.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    for (const wchar_t* name : kPlantedNames) RegDeleteValueW(key, name);
    DWORD left = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &left, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    if (created_ && left == 0) RegDeleteKeyW(HKEY_USERS, path_.c_str());
  }
  PlantedConnections(const PlantedConnections&) = delete;
  PlantedConnections& operator=(const PlantedConnections&) = delete;

  static std::map<std::wstring, Value> initial(std::uint32_t counterBase) {
    Bytes large = connectionValue(counterBase + 7, 0x1, "", "", {});
    Bytes largeTail = pattern(kLargeSize - large.size(), 0x10);
    return {
        {L"DefaultConnectionSettings",
         {REG_BINARY, connectionValue(counterBase, kDefaultFlags, "old.example:3128", "*.lan", pattern(12, 0xC0))}},
        {L"Office VPN", {REG_BINARY, connectionValue(counterBase + 100, kVpnFlags, "", "", pattern(4, 0xE0))}},
        {L"SavedLegacySettings", {REG_BINARY, connectionValue(counterBase + 50, 0x9, "", "", pattern(8, 0xA0))}},
        {L"Note", {REG_SZ, storedText(L"not a connection")}},
        {L"Large", {REG_BINARY, connectionValue(counterBase + 7, 0x1, "", "", largeTail)}},
    };
  }

  std::size_t written() const { return written_; }

 private:
  std::wstring path_;
  bool created_ = false;
  std::size_t written_ = 0;
};

std::uint32_t keptFlags(std::uint32_t flags, std::uint32_t low) { return (flags & ~std::uint32_t{0xF}) | low; }

// What a fresh process of this user gets from WinINet: its flags and proxy text.
struct SeenProxy {
  bool ran = false;
  unsigned long flags = 0;
  std::string server;
};

SeenProxy seenByNewProcess() {
  SeenProxy seen;
  wchar_t self[MAX_PATH];
  std::wstring program(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
  program = program.substr(0, program.find_last_of(L'\\') + 1) + L"proxy_seen.exe";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd;
  HANDLE writeEnd;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return seen;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION child{};
  std::wstring command = L"\"" + program + L"\"";
  BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child);
  CloseHandle(writeEnd);
  std::string output;
  if (started) {
    char buffer[512];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
    DWORD code = 1;
    WaitForSingleObject(child.hProcess, INFINITE);
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    seen.ran = code == 0;
  }
  CloseHandle(readEnd);
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  std::size_t space = output.find(' ');
  seen.flags = std::strtoul(output.substr(0, space).c_str(), nullptr, 10);
  if (space != std::string::npos) seen.server = output.substr(space + 1);
  return seen;
}

class SetProxyUsersTest : public jnihost::HostTest {
 protected:
  void SetUp() override {
    jnihost::HostTest::SetUp();
    ASSERT_TRUE(enablePrivilege(L"SeBackupPrivilege"));
    ASSERT_TRUE(enablePrivilege(L"SeRestorePrivilege"));
    ASSERT_FALSE(currentUserSid().empty());
    users_ = {currentUserSid()};
    for (const wchar_t* sid : kExtraUsers) {
      hives_.push_back(std::make_unique<MountedHive>(sid));
      ASSERT_EQ(hives_.back()->saved(), ERROR_SUCCESS) << "RegSaveKeyW";
      ASSERT_EQ(hives_.back()->loaded(), ERROR_SUCCESS) << "RegLoadKeyW";
      users_.push_back(sid);
    }
    std::vector<std::wstring> listed = usersListed();
    for (std::uint32_t i = 0; i < users_.size(); ++i) {
      ASSERT_NE(std::find(listed.begin(), listed.end(), users_[i]), listed.end()) << "not under HKEY_USERS";
      planted_.push_back(std::make_unique<PlantedConnections>(users_[i], counterBase(i)));
      ASSERT_EQ(planted_.back()->written(), std::size(kPlantedNames));
    }
  }

  // The proxy goes whatever the test did, before the planted values and hives go.
  void TearDown() override {
    setProxy(nullptr, 0, nullptr, 0);
    jnihost::HostTest::TearDown();
  }

  static std::uint32_t counterBase(std::uint32_t user) { return 10 + 1000 * user; }

  static void* fn(const char* name) {
    return native(library("homebridge.dll"), std::string("Java_jni_com_quarvo_os_windows_WinHomeUtils_") + name);
  }
  bool setProxy(Object* http, jint httpPort, Object* https, jint httpsPort) {
    return vm.callStatic<jboolean>(fn("setProxy"), kUtils, http, httpPort, https, httpsPort) == JNI_TRUE;
  }
  Object* str(const std::string& utf8) { return vm.newStringFromUtf8(utf8.c_str()); }

  std::wstring connections(std::size_t user) const { return users_[user] + L"\\" + kConnections; }
  std::wstring settings(const std::wstring& user) const { return user + L"\\" + kSettings; }

  // Everything setProxy may touch, for every user and machine-wide.
  std::map<std::wstring, Value> everything() const {
    std::map<std::wstring, Value> all;
    for (const std::wstring& user : usersListed()) {
      for (const auto& [name, value] : values(HKEY_USERS, user + L"\\" + kConnections)) all[user + L"|" + name] = value;
      for (const wchar_t* name : {L"ProxyServer", L"ProxyEnable"}) {
        all[user + L"|" + name] = read(HKEY_USERS, settings(user), name);
      }
    }
    all[L"explorer"] = read(HKEY_LOCAL_MACHINE, kExplorerPolicy, L"Proxy");
    for (const wchar_t* browser : kBrowserPolicies) {
      for (const wchar_t* name : {L"ProxyServer", L"ProxyBypassList", L"ProxyMode"}) {
        all[std::wstring(browser) + L"|" + name] = read(HKEY_LOCAL_MACHINE, browser, name);
      }
    }
    return all;
  }

  // Each user's connection values carry `proxy` after `rewrites` rewrites (the last with `low`
  // flag bits); the other values are as planted.
  void expectConnections(const std::string& proxy, const std::string& bypass, std::uint32_t rewrites,
                         std::uint32_t low) const {
    for (std::uint32_t i = 0; i < users_.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "user " << std::string(users_[i].begin(), users_[i].end()));
      std::map<std::wstring, Value> planted = PlantedConnections::initial(counterBase(i));
      std::uint32_t base = counterBase(i);
      Value defaults = read(HKEY_USERS, connections(i), L"DefaultConnectionSettings");
      EXPECT_EQ(defaults.type, static_cast<DWORD>(REG_BINARY));
      EXPECT_EQ(defaults.data,
                connectionValue(base + rewrites, keptFlags(kDefaultFlags, low), proxy, bypass, pattern(12, 0xC0)));
      Value vpn = read(HKEY_USERS, connections(i), L"Office VPN");
      EXPECT_EQ(vpn.type, static_cast<DWORD>(REG_BINARY));
      EXPECT_EQ(vpn.data,
                connectionValue(base + 100 + rewrites, keptFlags(kVpnFlags, low), proxy, bypass, pattern(4, 0xE0)));
      for (const wchar_t* untouched : {L"SavedLegacySettings", L"Note", L"Large"}) {
        EXPECT_EQ(read(HKEY_USERS, connections(i), untouched), planted[untouched])
            << std::string(untouched, untouched + wcslen(untouched));
      }
    }
  }

  // Every user under HKEY_USERS, the two mounted ones included, has this text and number.
  void expectUserSettings(const std::wstring& proxy) const {
    for (const std::wstring& user : usersListed()) {
      SCOPED_TRACE(testing::Message() << "user " << std::string(user.begin(), user.end()));
      Value server = read(HKEY_USERS, settings(user), L"ProxyServer");
      if (proxy.empty()) {
        EXPECT_EQ(server.type, static_cast<DWORD>(REG_NONE));
      } else {
        EXPECT_EQ(server.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(server.data, storedText(proxy));
      }
      Value enable = read(HKEY_USERS, settings(user), L"ProxyEnable");
      EXPECT_EQ(enable.type, static_cast<DWORD>(REG_DWORD));
      EXPECT_EQ(enable.data, dword(proxy.empty() ? 0 : 1));
    }
  }

  void expectPolicies(const std::wstring& proxy) const {
    Value explorer = read(HKEY_LOCAL_MACHINE, kExplorerPolicy, L"Proxy");
    for (const wchar_t* browser : kBrowserPolicies) {
      SCOPED_TRACE(testing::Message() << std::string(browser, browser + wcslen(browser)));
      Value server = read(HKEY_LOCAL_MACHINE, browser, L"ProxyServer");
      Value bypass = read(HKEY_LOCAL_MACHINE, browser, L"ProxyBypassList");
      Value mode = read(HKEY_LOCAL_MACHINE, browser, L"ProxyMode");
      if (proxy.empty()) {
        for (const Value& gone : {server, bypass, mode}) EXPECT_EQ(gone.type, static_cast<DWORD>(REG_NONE));
        continue;
      }
      EXPECT_EQ(server, (Value{REG_SZ, storedText(proxy)}));
      EXPECT_EQ(bypass, (Value{REG_SZ, storedText(L"<local>")}));
      EXPECT_EQ(mode, (Value{REG_SZ, storedText(L"fixed_servers")}));
    }
    if (proxy.empty()) {
      EXPECT_EQ(explorer.type, static_cast<DWORD>(REG_NONE));
    } else {
      EXPECT_EQ(explorer, (Value{REG_DWORD, dword(1)}));
    }
  }

  std::vector<std::wstring> users_;

 private:
  std::vector<std::unique_ptr<MountedHive>> hives_;
  std::vector<std::unique_ptr<PlantedConnections>> planted_;
};

const std::string kBoth = "http=127.0.0.1:8080;https=127.0.0.1:8443";
const std::wstring kBothWide = L"http=127.0.0.1:8080;https=127.0.0.1:8443";

TEST_F(SetProxyUsersTest, SettingRewritesEveryUsersConnectionsOnceAndRepeatingChangesNothing) {
  ASSERT_TRUE(setProxy(str("127.0.0.1"), 8080, str("127.0.0.1"), 8443));
  expectConnections(kBoth, "<local>", 1, 3);
  expectUserSettings(kBothWide);
  expectPolicies(kBothWide);

  std::map<std::wstring, Value> once = everything();
  ASSERT_TRUE(setProxy(str("127.0.0.1"), 8080, str("127.0.0.1"), 8443));
  EXPECT_EQ(everything(), once) << "the values already carry the proxy";
  expectConnections(kBoth, "<local>", 1, 3);
}

TEST_F(SetProxyUsersTest, RemovalClearsTheProxyAndTurnsDetectionOnForEveryUser) {
  ASSERT_TRUE(setProxy(str("127.0.0.1"), 8080, str("127.0.0.1"), 8443));
  ASSERT_TRUE(setProxy(str(""), 0, nullptr, 0));
  expectConnections("", "", 2, 9);
  expectUserSettings(L"");
  expectPolicies(L"");
}

TEST_F(SetProxyUsersTest, AnHttpsProxyAloneIsWrittenWithoutASeparator) {
  ASSERT_TRUE(setProxy(nullptr, 0, str("127.0.0.1"), 8443));
  expectConnections("https=127.0.0.1:8443", "<local>", 1, 3);
  expectUserSettings(L"https=127.0.0.1:8443");
  expectPolicies(L"https=127.0.0.1:8443");
}

TEST_F(SetProxyUsersTest, OverLongProxiesAreRefusedAndChangeNothingForAnyUser) {
  ASSERT_TRUE(setProxy(str("127.0.0.1"), 8080, str("127.0.0.1"), 8443));
  std::map<std::wstring, Value> before = everything();
  EXPECT_FALSE(setProxy(str(std::string(250, 'h')), 8080, nullptr, 0)) << "a 250-byte host and its port";
  EXPECT_EQ(everything(), before);
  // Each part alone would do; together they pass 255 UTF-16 characters.
  EXPECT_FALSE(setProxy(str(std::string(120, 'a')), 8080, str(std::string(140, 'b')), 8443));
  EXPECT_EQ(everything(), before);
  EXPECT_TRUE(setProxy(str(std::string(120, 'a')), 8080, nullptr, 0)) << "the first part alone is accepted";
}

TEST_F(SetProxyUsersTest, ANewProcessOfTheUserSeesTheProxyUntilItIsRemoved) {
  ASSERT_TRUE(setProxy(str("127.0.0.1"), 8080, str("127.0.0.1"), 8443));
  SeenProxy set = seenByNewProcess();
  ASSERT_TRUE(set.ran);
  EXPECT_NE(set.flags & PROXY_TYPE_PROXY, 0u);
  EXPECT_NE(set.server.find("127.0.0.1:8080"), std::string::npos) << set.server;

  ASSERT_TRUE(setProxy(nullptr, 0, nullptr, 0));
  SeenProxy removed = seenByNewProcess();
  ASSERT_TRUE(removed.ran);
  EXPECT_EQ(removed.flags & PROXY_TYPE_PROXY, 0u);
}

}  // namespace
