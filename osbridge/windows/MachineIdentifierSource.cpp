#include "MachineIdentifierSource.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <algorithm>

#include "RegistryAccess.h"

namespace Quarvo {
namespace os {

namespace {

// Room GetAdaptersInfo gets: a list that needs more counts as no adapter.
constexpr ULONG kAdapterListBytes = 11264;
constexpr size_t kAdapterRoom = (kAdapterListBytes + sizeof(IP_ADAPTER_INFO) - 1) / sizeof(IP_ADAPTER_INFO);

// The address length is not checked: the first six bytes are taken as they are.
std::optional<MachineIdentifier> identifierFromAdapters() {
  IP_ADAPTER_INFO adapters[kAdapterRoom];
  ULONG size = kAdapterListBytes;
  if (GetAdaptersInfo(adapters, &size) != ERROR_SUCCESS) return std::nullopt;
  MachineIdentifier identifier{};
  std::copy_n(adapters[0].Address, identifier.size(), identifier.begin());
  return identifier;
}

std::optional<MachineIdentifier> identifierFromProductIdValue() {
  RegistryValue value;
  if (!readBinaryValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"DigitalProductId",
                       &value)) {
    return std::nullopt;
  }
  return identifierFromProductId(value.bytes, value.size);
}

}  // namespace

std::optional<MachineIdentifier> readMachineIdentifier() {
  if (std::optional<MachineIdentifier> identifier = identifierFromAdapters()) return identifier;
  return identifierFromProductIdValue();
}

}  // namespace os
}  // namespace Quarvo
