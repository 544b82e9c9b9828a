// The accounts the shell's logon-user collection lists (Windows XP and Server 2003, where the
// network-management listing misses what the welcome screen shows).
#pragma once

#include <windows.h>

#include <vector>

#include "UserNameMap.h"

namespace Quarvo {

// Replaces `accounts` with one entry per account of the collection, in its order; an account
// whose settings cannot be read stays empty. COM is entered for the call and left again unless
// the thread could not join it (another concurrency model). An error status leaves no entries.
// May throw std::bad_alloc.
HRESULT readLogonUserAccounts(std::vector<UserAccount>* accounts);

}  // namespace Quarvo
