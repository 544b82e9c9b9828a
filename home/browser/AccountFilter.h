// Accounts that are never reported as a person using the machine: service and machine accounts.
#pragma once

#include <cstddef>

namespace Quarvo {

// True for a null or empty name, a machine account (ending in "$"), and the service accounts
// "ASPNET" and "UpdatusUser" in any case. Only whole names match: "Asp" is a person's name.
bool isHiddenAccount(const wchar_t* name, size_t length) noexcept;

}  // namespace Quarvo
