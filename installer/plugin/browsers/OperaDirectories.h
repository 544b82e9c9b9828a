// Where Opera's fixed preferences may lie: the system directories of both bitnesses.
#pragma once

#include <string>
#include <vector>

namespace setup {

// The system directory (for the 32-bit plug-in on 64-bit Windows the system redirects it to the
// 32-bit one), then the Windows directory + "\Sysnative" (the 64-bit system directory as a
// 32-bit program names it) when that stays below 260 characters.
std::vector<std::wstring> operaDirectories();

}  // namespace setup
