// Deleting a registry key with everything below it, on systems without RegDeleteTree.
#pragma once

#include <windows.h>

#include <string_view>

namespace Quarvo {
namespace os {

// True when the key is gone afterwards, or never existed. Sub-keys go deepest first; the walk
// stops at the first one that cannot be deleted.
bool deleteTree(HKEY root, std::wstring_view key);

}  // namespace os
}  // namespace Quarvo
