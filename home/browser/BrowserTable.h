// The browsers the product knows by executable name, and whether one is running.
#pragma once

namespace Quarvo {

// The 31 executable file names, ending with a null entry.
extern const wchar_t* const kBrowserExecutables[];

// True when `exeFile` (a file name) is one of the browsers, ignoring case.
bool isBrowserExecutable(const wchar_t* exeFile) noexcept;

// Whether a desktop (not store) browser process runs, of `user` when given (ignoring case).
bool isBrowserRunning(const wchar_t* user) noexcept;

}  // namespace Quarvo
