#include "CommandDirectory.h"

namespace Quarvo {

namespace {

constexpr std::size_t kDirectoryLimit = 2048;

bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'; }

}  // namespace

std::optional<std::u16string> commandDirectory(std::u16string_view command) {
  std::size_t start = 0;
  while (start < command.size() && isSpace(command[start])) ++start;
  std::u16string_view path = command.substr(start);
  if (!path.empty() && path.front() == u'"') {
    std::size_t close = path.find(u'"', 1);
    if (close == std::u16string_view::npos) return std::nullopt;
    path = path.substr(1, close - 1);
  }
  std::size_t separator = path.find_last_of(u"\\/");
  std::u16string_view directory = separator == std::u16string_view::npos ? path : path.substr(0, separator + 1);
  if (directory.size() >= kDirectoryLimit) return std::nullopt;
  return std::u16string(directory);
}

}  // namespace Quarvo
