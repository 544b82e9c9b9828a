// The account name a process runs under.
#pragma once

#include <windows.h>

#include <cstddef>

namespace Quarvo {

// Writes the account name of the user of `process` (opened with query-information access) into
// `name`, which has room for `capacity` characters including the terminating zero. False when
// the token cannot be read or the account cannot be named.
bool processOwnerName(HANDLE process, wchar_t* name, size_t capacity) noexcept;

}  // namespace Quarvo
