// Which account listing this Windows version needs, and the listing itself.
#pragma once

#include <windows.h>

#include <vector>

#include "UserNameMap.h"

namespace Quarvo {

enum class AccountSource { kNetworkManagement, kLogonUsers };

// 2000 and 6.0 onwards list accounts through network management; XP, Server 2003 and the
// non-NT systems through the shell's logon-user collection.
AccountSource accountSourceFor(DWORD platformId, DWORD major, DWORD minor) noexcept;
// The source for the running system (an unreadable version counts as 0.0 on no platform).
AccountSource systemAccountSource() noexcept;

// The accounts of the source for this system; false when the listing failed.
bool readUserAccounts(std::vector<UserAccount>* accounts);

}  // namespace Quarvo
