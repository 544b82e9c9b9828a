#include "RegistryTree.h"

#include <new>
#include <string>

#include "RegistryKey.h"
#include "SubKeyPath.h"

namespace Quarvo {
namespace os {

namespace {

// Key names are at most 255 units; this leaves room for the terminator and then some.
constexpr DWORD kNameUnits = 260;

bool deleteKeyAndBelow(HKEY root, const std::wstring& key);

// Always takes index 0: each deletion moves the next sub-key there.
void deleteSubKeys(HKEY root, const std::wstring& key, HKEY open) {
  wchar_t name[kNameUnits];
  for (;;) {
    DWORD length = kNameUnits;
    if (RegEnumKeyExW(open, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return;
    const std::wstring child = subKeyPath<wchar_t>(key, std::wstring_view(name, length));
    if (!deleteKeyAndBelow(root, child)) return;
  }
}

bool deleteKeyAndBelow(HKEY root, const std::wstring& key) {
  if (RegDeleteKeyW(root, key.c_str()) == ERROR_SUCCESS) return true;
  {
    RegistryKey open;
    const LSTATUS status = RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, open.receive());
    if (status != ERROR_SUCCESS) return status == ERROR_FILE_NOT_FOUND;
    deleteSubKeys(root, key, open.get());
  }
  return RegDeleteKeyW(root, key.c_str()) == ERROR_SUCCESS;
}

}  // namespace

bool deleteTree(HKEY root, std::wstring_view key) {
  try {
    return deleteKeyAndBelow(root, std::wstring(key));
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace os
}  // namespace Quarvo
