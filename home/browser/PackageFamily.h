// Store (packaged) applications: a process's package family name and whether it is immersive.
#pragma once

#include <windows.h>

#include <cstdint>

namespace Quarvo {

// GetPackageFamilyName for `process`: 0 on success, ERROR_INSUFFICIENT_BUFFER (122) when
// `buffer` is too small (`length` then holds the size needed), ERROR_NOT_SUPPORTED (50) when
// this system lacks the function, or the function's own error (15700 for a desktop process).
uint32_t packageFamilyNameOf(HANDLE process, uint32_t* length, wchar_t* buffer) noexcept;

// IsImmersiveProcess where the system has it; elsewhere, whether the process has a package
// family name at all.
bool isImmersive(HANDLE process) noexcept;

}  // namespace Quarvo
