#include "RegistryAccess.h"

#include "RegistryKey.h"

namespace Quarvo {
namespace os {

bool readValue(HKEY root, const wchar_t* key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size) {
  RegistryKey open;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, open.receive()) != ERROR_SUCCESS) return false;
  return RegQueryValueExW(open.get(), name, nullptr, type, data, size) == ERROR_SUCCESS;
}

bool readValue(HKEY root, const wchar_t* key, const wchar_t* name, RegistryValue* value) {
  value->size = kRegistryReadBytes;
  return readValue(root, key, name, &value->type, value->bytes, &value->size);
}

bool readBinaryValue(HKEY root, const wchar_t* key, const wchar_t* name, RegistryValue* value) {
  return readValue(root, key, name, value) && value->type == REG_BINARY && value->fits();
}

bool writeValue(HKEY root, const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  RegistryKey open;
  if (RegCreateKeyExW(root, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, open.receive(),
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExW(open.get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool deleteValue(HKEY root, const wchar_t* key, const wchar_t* name) {
  RegistryKey open;
  if (RegOpenKeyExW(root, key, 0, KEY_WRITE, open.receive()) != ERROR_SUCCESS) return false;
  return RegDeleteValueW(open.get(), name) == ERROR_SUCCESS;
}

}  // namespace os
}  // namespace Quarvo
