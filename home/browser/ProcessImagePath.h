// The full Win32 path of a process's image file.
#pragma once

#include <windows.h>

#include <cstdint>

namespace Quarvo {

// Writes the path of the image of `process` (opened with query-information access) into
// `buffer`, which has room for `*length` characters including the terminating zero, and sets
// `*length` to the path's length. Where QueryFullProcessImageNameW is missing (Windows XP) the
// device-form image name is mapped back onto its drive letter. When the path cannot be read or
// does not fit, the buffer is left empty, `*length` is 0 and the answer is false.
bool processImagePath(HANDLE process, wchar_t* buffer, uint32_t* length) noexcept;

}  // namespace Quarvo
