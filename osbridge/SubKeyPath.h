// Registry key paths below a key, for walking a tree. Generic in the unit type so the Windows
// side joins wchar_t paths and tests can use char16_t literals.
#pragma once

#include <string>
#include <string_view>

namespace Quarvo {
namespace os {

// key, a backslash unless key already ends with one, then name.
template <class Unit>
std::basic_string<Unit> subKeyPath(std::basic_string_view<Unit> key, std::basic_string_view<Unit> name) {
  const Unit separator = static_cast<Unit>('\\');
  std::basic_string<Unit> path;
  path.reserve(key.size() + 1 + name.size());
  path.append(key);
  if (key.empty() || key.back() != separator) path.push_back(separator);
  path.append(name);
  return path;
}

}  // namespace os
}  // namespace Quarvo
