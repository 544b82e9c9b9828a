// Where Firefox and SeaMonkey are installed, as their registrations in the registry say: the
// open commands and application paths, and every "PathToExe" below SOFTWARE\Mozilla in both
// registry views.
#pragma once

#include <string>
#include <vector>

namespace Quarvo {

// Which registry view the six registrations (open commands and application paths) are read in:
// the program's own, or the 32-bit one whatever the program is (what the 32-bit installer
// plug-in sees, also in its 64-bit test build). The "SOFTWARE\Mozilla" scan covers both views
// either way.
enum class RegistrationView { Own, Only32Bit };

// Directories in the order found, each ending with its separator; duplicates are left in (the
// service collects them in a set).
std::vector<std::u16string> firefoxDirectories(RegistrationView view = RegistrationView::Own);

}  // namespace Quarvo
