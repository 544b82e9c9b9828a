// Registry command texts, two bytes a character (low byte first). A directory is a piece of the
// text (after leading white space, and after an opening quote), shorter than the limit, ends at a
// separator unless the path has none, never holds the closing quote, and is its own directory;
// an opening quote without a closing one gives nothing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CommandDirectory.h"

namespace {

bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'; }
bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string command;
  for (std::size_t i = 0; i + 1 < size; i += 2) command.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));

  const auto directory = Quarvo::commandDirectory(command);
  std::size_t start = 0;
  while (start < command.size() && isSpace(command[start])) ++start;
  const bool quoted = start < command.size() && command[start] == u'"';
  if (quoted && command.find(u'"', start + 1) == std::u16string::npos) {
    if (directory) std::abort();
    return 0;
  }
  if (!directory) {
    // Only an overlong directory is refused, and it cannot come from a short text.
    if (command.size() < 2048) std::abort();
    return 0;
  }
  const std::u16string& found = *directory;
  const std::size_t from = quoted ? start + 1 : start;
  if (found.size() >= 2048 || found.size() > command.size() - from) std::abort();
  if (command.compare(from, found.size(), found) != 0) std::abort();
  if (quoted && found.find(u'"') != std::u16string::npos) std::abort();
  const bool endsAtSeparator = !found.empty() && isSeparator(found.back());
  if (!endsAtSeparator) {
    // No separator: the whole path, up to the closing quote or the end of the text.
    const std::size_t pathEnd = quoted ? command.find(u'"', from) : command.size();
    if (from + found.size() != pathEnd) std::abort();
    for (char16_t c : found) {
      if (isSeparator(c)) std::abort();
    }
  } else {
    // Nothing after it in the path holds another separator.
    const std::size_t pathEnd = quoted ? command.find(u'"', from) : command.size();
    for (std::size_t i = from + found.size(); i < pathEnd; ++i) {
      if (isSeparator(command[i])) std::abort();
    }
  }
  if (!found.empty() && !isSpace(found.front()) && found.front() != u'"' && Quarvo::commandDirectory(found) != found) {
    std::abort();
  }
  return 0;
}
