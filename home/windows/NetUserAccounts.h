// The local accounts as the network-management functions list them, behind one seam: the
// system's functions when shipped, scripted pages in tests.
#pragma once

#include <windows.h>
#include <lm.h>

#include <vector>

#include "UserNameMap.h"

namespace Quarvo {

struct NetUserFunctions {
  NET_API_STATUS(WINAPI* enumerate)(LPCWSTR server, DWORD level, DWORD filter, LPBYTE* buffer, DWORD preferredLength,
                                    LPDWORD entriesRead, LPDWORD totalEntries, PDWORD resumeHandle);
  NET_API_STATUS(WINAPI* freeBuffer)(LPVOID buffer);
};

// What the natives use: the system's functions unless a test put others in.
const NetUserFunctions& netUserFunctions() noexcept;
// Tests only: `functions` until called again with null.
void replaceNetUserFunctionsForTesting(const NetUserFunctions* functions) noexcept;

// Appends the enabled accounts with a name, page by page (234: more to come). Any other failure
// is reported on stderr and ends the listing. The last status, 0 on success. May throw
// std::bad_alloc; every page is freed all the same.
NET_API_STATUS readNetUserAccounts(const NetUserFunctions& functions, std::vector<UserAccount>* accounts);

}  // namespace Quarvo
