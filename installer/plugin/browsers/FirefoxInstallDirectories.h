// The Firefox and SeaMonkey installation directories whose preference files the installer
// takes away.
#pragma once

#include <string>
#include <vector>

namespace setup {

// The home bridge's discovery as the 32-bit plug-in sees it (registrations in the 32-bit
// registry view, the Mozilla keys in both views), each text once in the order found. Only
// absolute directories ("X:\..." or "\\server\...") are kept: a registry text without one
// would point the deletions at the installer's working directory or the current drive's root.
std::vector<std::wstring> firefoxInstallDirectories();

}  // namespace setup
