// Shows homebridge.dll's proxy, Firefox and user natives as the service would use them, under
// Wine through the test JNI host: a proxy set for every user and removed again, with each
// user's connection values, per-user values and the machine-wide policies read back after each
// step, then the Firefox directories and the user names in the Java collections the natives fill.
// Wine's prefix has no connection values of its own, so the current user gets a plain direct
// one for the run; it is deleted at the end, with the proxy removed, as the prefix was found.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "jnihost/Library.h"
#include "jnihost/Vm.h"

namespace {

using jnihost::Object;
using jnihost::Vm;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kUtils = "jni/com/quarvo/os/windows/WinHomeUtils";
constexpr const char* kUsers = "jni/com/quarvo/os/windows/WindowsUserProvider";
const wchar_t kSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const wchar_t kConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
const wchar_t kDemoConnection[] = L"DefaultConnectionSettings";

std::string narrow(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
  return out;
}

std::uint32_t word(const Bytes& value, std::size_t at) {
  return std::uint32_t{value[at]} | std::uint32_t{value[at + 1]} << 8 | std::uint32_t{value[at + 2]} << 16 |
         std::uint32_t{value[at + 3]} << 24;
}

// A connection value: leading word, change counter, flags, proxy length and text, bypass length
// and text, then settings the proxy does not concern.
std::string describeConnection(const Bytes& value) {
  if (value.size() < 20) return "too short to be a connection value";
  std::uint32_t flags = word(value, 8);
  std::size_t proxyLength = word(value, 12);
  if (proxyLength > value.size() - 20) return "proxy length runs past the end";
  std::size_t bypassAt = 16 + proxyLength;
  std::size_t bypassLength = word(value, bypassAt);
  if (bypassLength > value.size() - bypassAt - 4) return "bypass length runs past the end";
  std::string uses;
  const char* names[] = {"direct", "proxy", "script", "detect"};
  for (int bit = 0; bit < 4; ++bit) {
    if (flags & (1u << bit)) uses += uses.empty() ? names[bit] : std::string("+") + names[bit];
  }
  std::string proxy(value.begin() + 16, value.begin() + 16 + static_cast<std::ptrdiff_t>(proxyLength));
  std::string bypass(value.begin() + static_cast<std::ptrdiff_t>(bypassAt) + 4,
                     value.begin() + static_cast<std::ptrdiff_t>(bypassAt + 4 + bypassLength));
  char line[128];
  std::snprintf(line, sizeof line, "counter %lu, flags 0x%08lx (%s), ", static_cast<unsigned long>(word(value, 4)),
                static_cast<unsigned long>(flags), uses.empty() ? "none" : uses.c_str());
  return line + std::string("proxy \"") + proxy + "\", bypass \"" + bypass + "\"";
}

bool readValue(HKEY root, const std::wstring& path, const wchar_t* name, DWORD* type, Bytes* data) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  bool found = RegQueryValueExW(key, name, nullptr, type, nullptr, &size) == ERROR_SUCCESS;
  if (found) {
    data->resize(size);
    found = RegQueryValueExW(key, name, nullptr, type, data->data(), &size) == ERROR_SUCCESS;
    data->resize(size);
  }
  RegCloseKey(key);
  return found;
}

std::string describeValue(HKEY root, const std::wstring& path, const wchar_t* name) {
  DWORD type = REG_NONE;
  Bytes data;
  if (!readValue(root, path, name, &type, &data)) return "(none)";
  if (type == REG_DWORD && data.size() == 4) return "REG_DWORD " + std::to_string(word(data, 0));
  if (type == REG_SZ) {
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return "REG_SZ \"" + narrow(text) + "\" (" + std::to_string(data.size()) + " bytes)";
  }
  return "type " + std::to_string(type) + ", " + std::to_string(data.size()) + " bytes";
}

std::vector<std::wstring> subkeys(HKEY root) {
  std::vector<std::wstring> names;
  wchar_t name[513];
  for (DWORD index = 0;; ++index) {
    DWORD length = 513;
    if (RegEnumKeyExW(root, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

std::vector<std::wstring> valueNames(HKEY root, const std::wstring& path) {
  std::vector<std::wstring> names;
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  wchar_t name[513];
  for (DWORD index = 0;; ++index) {
    DWORD length = 513;
    if (RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  RegCloseKey(key);
  return names;
}

void printEveryUser() {
  for (const std::wstring& user : subkeys(HKEY_USERS)) {
    std::printf("  user %s\n", narrow(user).c_str());
    std::wstring connections = user + L"\\" + kConnections;
    for (const std::wstring& name : valueNames(HKEY_USERS, connections)) {
      DWORD type = REG_NONE;
      Bytes data;
      readValue(HKEY_USERS, connections, name.c_str(), &type, &data);
      std::string what = type == REG_BINARY ? describeConnection(data) : "not binary";
      std::printf("    connection %s: %s\n", narrow(name).c_str(), what.c_str());
    }
    std::wstring settings = user + L"\\" + kSettings;
    std::printf("    ProxyServer: %s\n", describeValue(HKEY_USERS, settings, L"ProxyServer").c_str());
    std::printf("    ProxyEnable: %s\n", describeValue(HKEY_USERS, settings, L"ProxyEnable").c_str());
  }
  std::printf("  machine-wide policies\n");
  const wchar_t* explorer = L"Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
  std::printf("    Internet Explorer Proxy: %s\n", describeValue(HKEY_LOCAL_MACHINE, explorer, L"Proxy").c_str());
  for (const wchar_t* browser : {L"Software\\Policies\\Google\\Chrome", L"Software\\Policies\\Chromium"}) {
    for (const wchar_t* name : {L"ProxyMode", L"ProxyServer", L"ProxyBypassList"}) {
      std::printf("    %s %s: %s\n", narrow(browser).c_str(), narrow(name).c_str(),
                  describeValue(HKEY_LOCAL_MACHINE, browser, name).c_str());
    }
  }
}

// A direct connection with nothing configured, as a fresh Windows profile has; false when the
// user already has one, which is then left alone.
bool plantConnection() {
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kConnections, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  bool planted = false;
  if (RegQueryValueExW(key, kDemoConnection, nullptr, nullptr, nullptr, nullptr) == ERROR_FILE_NOT_FOUND) {
    const BYTE direct[] = {0x46, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                           0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    planted = RegSetValueExW(key, kDemoConnection, 0, REG_BINARY, direct, sizeof direct) == ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return planted;
}

void removeConnection() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kConnections, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, kDemoConnection);
  DWORD values = 0;
  DWORD keys = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(key);
  if (values == 0 && keys == 0) RegDeleteKeyW(HKEY_CURRENT_USER, kConnections);
}

}  // namespace

int main() {
  Vm& vm = Vm::instance();
  std::string error;
  auto lib = jnihost::Library::load("homebridge.dll", &error);
  if (!lib) {
    std::printf("cannot load homebridge.dll: %s\n", error.c_str());
    return 1;
  }
  std::printf("JNI_OnLoad: 0x%05lx\n", static_cast<unsigned long>(lib->onLoad()));
  auto native = [&](const std::string& name) {
    void* fn = lib->symbol(name);
    if (fn == nullptr) std::printf("missing export %s\n", name.c_str());
    return fn;
  };
  void* setProxy = native("Java_jni_com_quarvo_os_windows_WinHomeUtils_setProxy");
  void* firefox = native("Java_jni_com_quarvo_os_windows_WinHomeUtils_getFirefoxRegistryDirectories");
  void* userNames = native("Java_jni_com_quarvo_os_windows_WindowsUserProvider_getUserNames");
  if (setProxy == nullptr || firefox == nullptr || userNames == nullptr) return 1;

  bool planted = plantConnection();
  if (planted) std::printf("gave the current user a direct DefaultConnectionSettings for the run\n");

  Object* host = vm.newStringFromUtf8("127.0.0.1");
  jboolean set = vm.callStatic<jboolean>(setProxy, kUtils, host, jint{8080}, host, jint{8080});
  std::printf("\nsetProxy(127.0.0.1:8080 for http and https): %s\n", set ? "true" : "false");
  printEveryUser();

  Object* none = nullptr;
  jboolean removed = vm.callStatic<jboolean>(setProxy, kUtils, none, jint{0}, none, jint{0});
  std::printf("\nsetProxy(null, 0, null, 0), the removal: %s\n", removed ? "true" : "false");
  printEveryUser();
  if (planted) removeConnection();

  Object* directories = vm.callStatic<Object*>(firefox, kUtils);
  std::printf("\ngetFirefoxRegistryDirectories: %s\n",
              directories == nullptr ? "null" : vm.className(directories).c_str());
  if (directories != nullptr) {
    std::vector<Object*> each = vm.elements(directories);
    if (each.empty()) std::printf("  (empty: no Firefox is installed in this prefix)\n");
    for (Object* directory : each) std::printf("  %s\n", vm.utf8(directory).c_str());
  }

  Object* users = vm.callStatic<Object*>(userNames, kUsers);
  std::printf("\ngetUserNames: %s\n", users == nullptr ? "null" : vm.className(users).c_str());
  if (users != nullptr) {
    for (const auto& [account, fullName] : vm.entries(users)) {
      std::printf("  %s -> %s\n", vm.utf8(account).c_str(), fullName == nullptr ? "null" : vm.utf8(fullName).c_str());
    }
  }
  return set && removed && directories != nullptr && users != nullptr ? 0 : 1;
}
