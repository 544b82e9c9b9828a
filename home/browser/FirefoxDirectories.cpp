#include "FirefoxDirectories.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "CommandDirectory.h"
#include "ScopedKey.h"

namespace Quarvo {

namespace {

constexpr DWORD kValueLimit = 1024;  // bytes
constexpr DWORD kNameCapacity = 512;
// Real trees are four deep; a deeper (or looping) one must not exhaust the caller's stack.
constexpr int kDepthLimit = 32;

#ifndef KEY_WOW64_32KEY
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
#endif
#ifndef KEY_WOW64_64KEY
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
#endif

// A string value (plain or expandable, unexpanded) under 1024 bytes; the text ends at its first
// NUL or at the end of the data, whether or not it was stored terminated.
std::optional<std::u16string> readText(HKEY key, const wchar_t* name) {
  BYTE data[kValueLimit];
  DWORD size = sizeof data;
  DWORD type = REG_NONE;
  if (RegQueryValueExW(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS) return std::nullopt;
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || size >= kValueLimit) return std::nullopt;
  std::u16string text(reinterpret_cast<const char16_t*>(data), size / 2);
  text.resize(std::min(text.size(), text.find(u'\0')));
  return text;
}

void addDirectory(const std::u16string& command, std::vector<std::u16string>* out) {
  if (std::optional<std::u16string> directory = commandDirectory(command)) out->push_back(*directory);
}

void readRegistration(HKEY root, const wchar_t* path, REGSAM view, std::vector<std::u16string>* out) {
  ScopedKey key;
  if (RegOpenKeyExW(root, path, 0, KEY_READ | view, key.receive()) != ERROR_SUCCESS) return;
  if (std::optional<std::u16string> command = readText(key.get(), nullptr)) addDirectory(*command, out);
}

std::u16string lowerCase(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return text;
}

void visitMozillaKey(HKEY key, REGSAM view, int depth, std::vector<std::u16string>* out) {
  if (std::optional<std::u16string> path = readText(key, L"PathToExe")) {
    std::u16string lower = lowerCase(*path);
    if (lower.find(u"firefox.exe") != std::u16string::npos || lower.find(u"seamonkey.exe") != std::u16string::npos) {
      addDirectory(lower, out);
    }
  }
  if (depth >= kDepthLimit) return;
  wchar_t name[kNameCapacity + 1];
  for (DWORD index = 0;; ++index) {
    DWORD length = kNameCapacity + 1;
    if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return;
    ScopedKey child;
    if (RegOpenKeyExW(key, name, 0, KEY_READ | view, child.receive()) != ERROR_SUCCESS) continue;
    visitMozillaKey(child.get(), view, depth + 1, out);
  }
}

}  // namespace

std::vector<std::u16string> firefoxDirectories(RegistrationView registrationView) {
  const REGSAM registrations = registrationView == RegistrationView::Only32Bit ? KEY_WOW64_32KEY : 0;
  std::vector<std::u16string> found;
  readRegistration(HKEY_CLASSES_ROOT, L"Applications\\firefox.exe\\shell\\open\\command", registrations, &found);
  readRegistration(HKEY_CLASSES_ROOT, L"Applications\\seamonkey.exe\\shell\\open\\command", registrations, &found);
  readRegistration(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\StartMenuInternet\\firefox.exe\\shell\\open\\command",
                   registrations, &found);
  readRegistration(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\StartMenuInternet\\seamonkey.exe\\shell\\open\\command",
                   registrations, &found);
  readRegistration(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe",
                   registrations, &found);
  readRegistration(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\seamonkey.exe",
                   registrations, &found);
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    ScopedKey mozilla;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Mozilla", 0, KEY_READ | view, mozilla.receive()) != ERROR_SUCCESS) {
      continue;
    }
    visitMozillaKey(mozilla.get(), view, 0, &found);
  }
  return found;
}

}  // namespace Quarvo
