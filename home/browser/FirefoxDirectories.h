// Where Firefox and SeaMonkey are installed, as their registrations in the registry say: the
// open commands and application paths, and every "PathToExe" below SOFTWARE\Mozilla in both
// registry views.
#pragma once

#include <string>
#include <vector>

namespace Quarvo {

// Directories in the order found, each ending with its separator; duplicates are left in (the
// service collects them in a set).
std::vector<std::u16string> firefoxDirectories();

}  // namespace Quarvo
