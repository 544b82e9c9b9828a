#include "ProxyApplication.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "ConnectionSettings.h"
#include "ScopedHandle.h"
#include "ScopedKey.h"

namespace Quarvo {
namespace proxy {

namespace {

const wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const wchar_t kConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
const wchar_t kSavedLegacySettings[] = L"SavedLegacySettings";
constexpr DWORD kNameCapacity = 512;

std::atomic<bool> privilegeEnabled{false};

void setNumber(HKEY root, const wchar_t* path, const wchar_t* name, DWORD value) {
  ScopedKey key;
  if (RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_WRITE, nullptr, key.receive(), nullptr) != ERROR_SUCCESS) return;
  RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// Text values are handed over without their terminating zero; the registry stores one anyway
// (it adds the zero that follows the data in memory, as a std::wstring's always does).
void setText(HKEY root, const wchar_t* path, const wchar_t* name, const std::wstring& text) {
  ScopedKey key;
  if (RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_WRITE, nullptr, key.receive(), nullptr) != ERROR_SUCCESS) return;
  RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                 static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

void deleteValue(HKEY root, const wchar_t* path, const wchar_t* name) {
  ScopedKey key;
  if (RegOpenKeyExW(root, path, 0, KEY_WRITE, key.receive()) != ERROR_SUCCESS) return;
  RegDeleteValueW(key.get(), name);
}

void rewriteValue(HKEY connections, const std::wstring& name, const std::string& proxy) {
  if (name == kSavedLegacySettings) return;
  BYTE data[kConnectionValueLimit];
  DWORD size = sizeof data;
  DWORD type = REG_NONE;
  if (RegQueryValueExW(connections, name.c_str(), nullptr, &type, data, &size) != ERROR_SUCCESS) return;
  if (type != REG_BINARY || size >= kConnectionValueLimit) return;
  auto rewritten = rewriteConnectionValue(data, size, proxy);
  if (!rewritten) return;
  RegSetValueExW(connections, name.c_str(), 0, REG_BINARY, rewritten->data(), static_cast<DWORD>(rewritten->size()));
}

std::vector<std::wstring> valueNames(HKEY key) {
  std::vector<std::wstring> names;
  wchar_t name[kNameCapacity + 1];
  for (DWORD index = 0;; ++index) {
    DWORD length = kNameCapacity + 1;
    if (RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

// The active dial-up connection first meets the phonebook, then the values of the key; it is
// rewritten on its own only when neither named it.
void updateConnections(HKEY user, const std::string& proxy, DialUpConnections& dialUp) {
  ScopedKey key;
  if (RegOpenKeyExW(user, kConnections, 0, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE, key.receive()) !=
      ERROR_SUCCESS) {
    return;
  }
  std::wstring active = dialUp.activeConnectionName();
  auto visit = [&](const std::wstring& name) {
    if (!active.empty() && name == active) active.clear();
    rewriteValue(key.get(), name, proxy);
  };
  for (const std::wstring& entry : dialUp.phonebookEntries()) visit(entry);
  for (const std::wstring& name : valueNames(key.get())) visit(name);
  if (!active.empty()) rewriteValue(key.get(), active, proxy);
}

void applyToUser(HKEY user, const ProxyText& text, DialUpConnections& dialUp) {
  updateConnections(user, text.narrow, dialUp);
  bool setting = !text.narrow.empty();
  std::wstring wide(text.wide.begin(), text.wide.end());
  if (setting) {
    setText(user, kInternetSettings, L"ProxyServer", wide);
  } else {
    deleteValue(user, kInternetSettings, L"ProxyServer");
  }
  setNumber(user, kInternetSettings, L"ProxyEnable", setting ? 1 : 0);
}

// False when the walk failed for a reason other than a user's key refusing write access.
bool applyToEveryUser(const ProxyText& text, DialUpConnections& dialUp) {
  wchar_t name[kNameCapacity + 1];
  for (DWORD index = 0;; ++index) {
    DWORD length = kNameCapacity + 1;
    LONG status = RegEnumKeyExW(HKEY_USERS, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return true;
    if (status != ERROR_SUCCESS) return false;
    ScopedKey user;
    status = RegOpenKeyExW(HKEY_USERS, name, 0, KEY_WRITE, user.receive());
    if (status == ERROR_ACCESS_DENIED) continue;
    if (status != ERROR_SUCCESS) return false;
    applyToUser(user.get(), text, dialUp);
  }
}

void applyPolicies(const ProxyText& text) {
  const wchar_t* explorer = L"Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
  const wchar_t* browsers[] = {L"Software\\Policies\\Google\\Chrome", L"Software\\Policies\\Chromium"};
  if (text.narrow.empty()) {
    deleteValue(HKEY_LOCAL_MACHINE, explorer, L"Proxy");
    for (const wchar_t* browser : browsers) {
      for (const wchar_t* name : {L"ProxyMode", L"ProxyServer", L"ProxyBypassList"}) {
        deleteValue(HKEY_LOCAL_MACHINE, browser, name);
      }
    }
    return;
  }
  setNumber(HKEY_LOCAL_MACHINE, explorer, L"Proxy", 1);
  std::wstring wide(text.wide.begin(), text.wide.end());
  for (const wchar_t* browser : browsers) {
    setText(HKEY_LOCAL_MACHINE, browser, L"ProxyServer", wide);
    setText(HKEY_LOCAL_MACHINE, browser, L"ProxyBypassList", L"<local>");
    setText(HKEY_LOCAL_MACHINE, browser, L"ProxyMode", L"fixed_servers");
  }
}

}  // namespace

bool enableRestorePrivilege() {
  if (privilegeEnabled) return true;
  ScopedHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.receive())) return false;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, L"SeRestorePrivilege", &privileges.Privileges[0].Luid)) return false;
  if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr)) return false;
  // The call succeeds without enabling anything when the token does not hold the privilege.
  if (GetLastError() == ERROR_NOT_ALL_ASSIGNED) return false;
  privilegeEnabled = true;
  return true;
}

int applyProxy(const ProxyText& text, DialUpConnections& connections) {
  if (!text.accepted || !enableRestorePrivilege()) return -1;
  if (!applyToEveryUser(text, connections)) return -1;
  applyPolicies(text);
  return 0;
}

}  // namespace proxy
}  // namespace Quarvo
