#include "UserAccountSource.h"

#include "LogonUserAccounts.h"
#include "NetUserAccounts.h"

namespace Quarvo {

AccountSource accountSourceFor(DWORD platformId, DWORD major, DWORD minor) noexcept {
  const DWORD version = platformId == VER_PLATFORM_WIN32_NT ? major * 256 + minor : 0;
  return version > 0x5FF || version == 0x500 ? AccountSource::kNetworkManagement : AccountSource::kLogonUsers;
}

AccountSource systemAccountSource() noexcept {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(&info)) info = OSVERSIONINFOW{};
  return accountSourceFor(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

bool readUserAccounts(std::vector<UserAccount>* accounts) {
  if (systemAccountSource() == AccountSource::kNetworkManagement) {
    return readNetUserAccounts(netUserFunctions(), accounts) == NERR_Success;
  }
  return SUCCEEDED(readLogonUserAccounts(accounts));
}

}  // namespace Quarvo
