// The installation directory named by a registry command or path, as Firefox and SeaMonkey
// register theirs: `"C:\Program Files\Mozilla Firefox\firefox.exe" -osint -url "%1"`.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Quarvo {

// Leading white space skipped; a quoted path is taken up to its closing quote (none: no
// directory), an unquoted text whole; the directory runs up to and including the last
// backslash or slash (the whole text when there is none). Nothing for 2048 characters or more.
std::optional<std::u16string> commandDirectory(std::u16string_view command);

}  // namespace Quarvo
