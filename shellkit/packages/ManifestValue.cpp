#include "ManifestValue.h"

#include <algorithm>

namespace shellkit {
namespace packages {

namespace {

constexpr std::wstring_view kFullPrefix = L"ms-resource:///";
constexpr std::wstring_view kRootedPrefix = L"ms-resource:/";
constexpr std::wstring_view kShortPrefix = L"ms-resource:";
constexpr UINT kResolvedCapacity = 256;

bool startsWith(std::wstring_view text, std::wstring_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

std::optional<std::wstring> manifestResourceKey(std::wstring_view value, bool asFile) {
  if (asFile) {
    std::wstring key = L"Files/" + std::wstring(value);
    std::replace(key.begin(), key.end(), L'\\', L'/');
    return key;
  }
  if (startsWith(value, kFullPrefix)) return std::wstring(value.substr(kFullPrefix.size()));
  if (startsWith(value, kRootedPrefix)) return std::wstring(value.substr(kRootedPrefix.size()));
  if (startsWith(value, kShortPrefix)) return L"resources/" + std::wstring(value.substr(kShortPrefix.size()));
  return std::nullopt;
}

std::wstring indirectResourceString(std::wstring_view resourceFile, std::wstring_view packageName,
                                    std::wstring_view key) {
  std::wstring out = L"@{";
  out.append(resourceFile).append(L"?ms-resource://").append(packageName).append(L"/").append(key).append(L"}");
  return out;
}

std::wstring resolveManifestValue(const PackagePlatform& platform, std::wstring_view value,
                                  std::wstring_view resourceFile, std::wstring_view packageName, bool asFile) {
  std::optional<std::wstring> key = manifestResourceKey(value, asFile);
  if (!key) return std::wstring(value);
  std::wstring source = indirectResourceString(resourceFile, packageName, *key);
  wchar_t resolved[kResolvedCapacity] = L"";
  if (FAILED(platform.loadIndirectString(source.c_str(), resolved, kResolvedCapacity, nullptr))) return {};
  resolved[kResolvedCapacity - 1] = L'\0';
  return resolved;
}

}  // namespace packages
}  // namespace shellkit
