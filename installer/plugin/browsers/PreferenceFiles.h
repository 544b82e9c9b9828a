// The browser preference files the product placed, taken away again. Each pair goes in order:
// the second file only once the first is gone, so a first file that stays keeps its partner.
#pragma once

#include <string>

namespace setup {

// In a Firefox or SeaMonkey installation directory (ending with its separator, so the joined
// paths hold a doubled backslash, which the file system accepts): defaults\pref\custom.js then
// locked.prefs, and defaults\pref\parentalcontrol.js then parentalcontrol.cfg.
void removeFirefoxPreferences(const std::wstring& directory);

// In a system directory: operaprefs_fixed.ini, then its backup operaprefs_fixed.ini.orig is
// renamed back in its place.
void restoreOperaPreferences(const std::wstring& directory);

}  // namespace setup
