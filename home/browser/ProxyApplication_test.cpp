// The proxy set and removed for every user of the Wine prefix, read back from the registry:
// connection values, per-user text and number values, machine-wide browser policies.
#include "ProxyApplication.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScopedKey.h"

namespace {

using namespace Quarvo::proxy;
using Bytes = std::vector<std::uint8_t>;

const wchar_t kSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const wchar_t kConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

class FakeDialUp : public DialUpConnections {
 public:
  std::wstring active;
  std::vector<std::wstring> phonebook;
  std::wstring activeConnectionName() override { return active; }
  std::vector<std::wstring> phonebookEntries() override { return phonebook; }
};

void putWord(Bytes& out, std::uint32_t v) {
  for (int s = 0; s < 32; s += 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

Bytes connectionValue(std::uint32_t counter, std::uint32_t flags) {
  Bytes out;
  putWord(out, 0x46);
  putWord(out, counter);
  putWord(out, flags);
  putWord(out, 0);
  putWord(out, 0);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(0xA0 + i));
  return out;
}

std::uint32_t wordAt(const Bytes& v, std::size_t offset) {
  return v[offset] | v[offset + 1] << 8 | v[offset + 2] << 16 | static_cast<std::uint32_t>(v[offset + 3]) << 24;
}

// The type and bytes of a value, REG_NONE when missing.
std::pair<DWORD, Bytes> read(HKEY root, const wchar_t* path, const wchar_t* name) {
  Quarvo::ScopedKey key;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return {REG_NONE, {}};
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {REG_NONE, {}};
  Bytes data(size);
  RegQueryValueExW(key.get(), name, nullptr, &type, data.data(), &size);
  data.resize(size);
  return {type, data};
}

std::wstring text(const Bytes& data) {
  std::wstring out(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2);
  while (!out.empty() && out.back() == 0) out.pop_back();
  return out;
}

void write(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type, const Bytes& data) {
  Quarvo::ScopedKey key;
  ASSERT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.receive(), nullptr), ERROR_SUCCESS);
  RegSetValueExW(key.get(), name, 0, type, data.data(), static_cast<DWORD>(data.size()));
}

std::vector<std::wstring> users() {
  std::vector<std::wstring> names;
  wchar_t name[513];
  for (DWORD i = 0;; ++i) {
    DWORD length = 513;
    if (RegEnumKeyExW(HKEY_USERS, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

ProxyText proxyFor(const std::u16string& host, std::int32_t port) { return proxyTextFor(&host, port, nullptr, 0); }

class ProxyApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    write(HKEY_CURRENT_USER, kConnections, L"DefaultConnectionSettings", REG_BINARY, connectionValue(10, 0x9));
    write(HKEY_CURRENT_USER, kConnections, L"SavedLegacySettings", REG_BINARY, connectionValue(20, 0x9));
    write(HKEY_CURRENT_USER, kConnections, L"Damaged", REG_BINARY, Bytes{1, 2, 3});
    write(HKEY_CURRENT_USER, kConnections, L"Modem", REG_BINARY, connectionValue(30, 0x1));
  }
  void TearDown() override {
    FakeDialUp none;
    applyProxy(proxyTextFor(nullptr, 0, nullptr, 0), none);
    Quarvo::ScopedKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kConnections, 0, KEY_ALL_ACCESS, key.receive()) == ERROR_SUCCESS) {
      for (const wchar_t* name : {L"DefaultConnectionSettings", L"SavedLegacySettings", L"Damaged", L"Modem"}) {
        RegDeleteValueW(key.get(), name);
      }
    }
  }
  FakeDialUp dialUp;
};

TEST_F(ProxyApplicationTest, TheRestorePrivilegeIsEnabled) { EXPECT_TRUE(enableRestorePrivilege()); }

TEST_F(ProxyApplicationTest, SettingReachesEveryUserAndEveryBrowserPolicy) {
  ASSERT_EQ(applyProxy(proxyFor(u"127.0.0.1", 8080), dialUp), 0);
  for (const std::wstring& user : users()) {
    std::wstring settings = user + L"\\" + kSettings;
    EXPECT_EQ(text(read(HKEY_USERS, settings.c_str(), L"ProxyServer").second), L"http=127.0.0.1:8080") << user;
    EXPECT_EQ(read(HKEY_USERS, settings.c_str(), L"ProxyEnable").second, (Bytes{1, 0, 0, 0})) << user;
  }
  Bytes connection = read(HKEY_CURRENT_USER, kConnections, L"DefaultConnectionSettings").second;
  ASSERT_GE(connection.size(), 20u);
  EXPECT_EQ(wordAt(connection, 4), 11u);
  EXPECT_EQ(wordAt(connection, 8), 3u);
  EXPECT_EQ(std::string(connection.begin() + 16, connection.begin() + 35), "http=127.0.0.1:8080");
  EXPECT_EQ(read(HKEY_CURRENT_USER, kConnections, L"SavedLegacySettings").second, connectionValue(20, 0x9));
  EXPECT_EQ(read(HKEY_CURRENT_USER, kConnections, L"Damaged").second, (Bytes{1, 2, 3}));

  const wchar_t* explorer = L"Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
  EXPECT_EQ(read(HKEY_LOCAL_MACHINE, explorer, L"Proxy").second, (Bytes{1, 0, 0, 0}));
  for (const wchar_t* browser : {L"Software\\Policies\\Google\\Chrome", L"Software\\Policies\\Chromium"}) {
    EXPECT_EQ(text(read(HKEY_LOCAL_MACHINE, browser, L"ProxyServer").second), L"http=127.0.0.1:8080");
    EXPECT_EQ(text(read(HKEY_LOCAL_MACHINE, browser, L"ProxyBypassList").second), L"<local>");
    EXPECT_EQ(text(read(HKEY_LOCAL_MACHINE, browser, L"ProxyMode").second), L"fixed_servers");
  }
}

TEST_F(ProxyApplicationTest, TheSameCallTwiceLeavesConnectionValuesAsTheyAre) {
  ASSERT_EQ(applyProxy(proxyFor(u"proxy", 1), dialUp), 0);
  Bytes once = read(HKEY_CURRENT_USER, kConnections, L"DefaultConnectionSettings").second;
  ASSERT_EQ(applyProxy(proxyFor(u"proxy", 1), dialUp), 0);
  EXPECT_EQ(read(HKEY_CURRENT_USER, kConnections, L"DefaultConnectionSettings").second, once);
}

TEST_F(ProxyApplicationTest, RemovalTurnsOnDetectionAndDeletesEveryValueItSet) {
  ASSERT_EQ(applyProxy(proxyFor(u"proxy", 1), dialUp), 0);
  ASSERT_EQ(applyProxy(proxyTextFor(nullptr, 0, nullptr, 0), dialUp), 0);
  Bytes connection = read(HKEY_CURRENT_USER, kConnections, L"DefaultConnectionSettings").second;
  EXPECT_EQ(wordAt(connection, 4), 12u);
  EXPECT_EQ(wordAt(connection, 8), 9u);
  EXPECT_EQ(wordAt(connection, 12), 0u);
  EXPECT_EQ(wordAt(connection, 16), 0u);
  for (const std::wstring& user : users()) {
    std::wstring settings = user + L"\\" + kSettings;
    EXPECT_EQ(read(HKEY_USERS, settings.c_str(), L"ProxyServer").first, static_cast<DWORD>(REG_NONE)) << user;
    EXPECT_EQ(read(HKEY_USERS, settings.c_str(), L"ProxyEnable").second, (Bytes{0, 0, 0, 0})) << user;
  }
  EXPECT_EQ(read(HKEY_LOCAL_MACHINE, L"Software\\Policies\\Google\\Chrome", L"ProxyMode").first,
            static_cast<DWORD>(REG_NONE));
}

TEST_F(ProxyApplicationTest, DialUpConnectionsAreRewrittenThoughTheKeyLacksTheirName) {
  dialUp.active = L"Modem";
  dialUp.phonebook = {L"VPN"};
  write(HKEY_CURRENT_USER, kConnections, L"VPN", REG_BINARY, connectionValue(40, 0x1));
  ASSERT_EQ(applyProxy(proxyFor(u"proxy", 1), dialUp), 0);
  EXPECT_EQ(wordAt(read(HKEY_CURRENT_USER, kConnections, L"Modem").second, 8), 3u);
  EXPECT_EQ(wordAt(read(HKEY_CURRENT_USER, kConnections, L"VPN").second, 4), 41u) << "rewritten once";
  Quarvo::ScopedKey key;
  RegOpenKeyExW(HKEY_CURRENT_USER, kConnections, 0, KEY_ALL_ACCESS, key.receive());
  RegDeleteValueW(key.get(), L"VPN");
}

TEST_F(ProxyApplicationTest, ARefusedTextChangesNothing) {
  std::u16string host(250, u'h');
  ProxyText refused = proxyFor(host, 8080);
  EXPECT_EQ(applyProxy(refused, dialUp), -1);
  EXPECT_EQ(read(HKEY_CURRENT_USER, kConnections, L"DefaultConnectionSettings").second, connectionValue(10, 0x9));
}

}  // namespace
