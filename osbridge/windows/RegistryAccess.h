// The registry calls behind RegistryUtils: one value read, written or deleted per call, with
// the key opened for just that call.
#pragma once

#include <windows.h>

namespace Quarvo {
namespace os {

// Reads of strings and binary values use this much room; a value that fills it is refused.
constexpr DWORD kRegistryReadBytes = 1024;

struct RegistryValue {
  DWORD type = REG_NONE;
  DWORD size = 0;
  BYTE bytes[kRegistryReadBytes];

  // The value was read whole, with room to spare as the service expects.
  bool fits() const { return size < kRegistryReadBytes; }
};

// name null: the key's default value. `size` is the room in `data` before, the value's size after.
bool readValue(HKEY root, const wchar_t* key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size);
bool readValue(HKEY root, const wchar_t* key, const wchar_t* name, RegistryValue* value);
// A REG_BINARY value that fits.
bool readBinaryValue(HKEY root, const wchar_t* key, const wchar_t* name, RegistryValue* value);
// Creates the missing keys along the path.
bool writeValue(HKEY root, const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size);
bool deleteValue(HKEY root, const wchar_t* key, const wchar_t* name);

}  // namespace os
}  // namespace Quarvo
