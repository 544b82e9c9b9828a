#include "FirefoxInstallDirectories.h"

#include <unordered_set>

#include "FirefoxDirectories.h"

namespace setup {

namespace {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool isLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

bool isAbsolute(const std::u16string& directory) {
  if (directory.size() >= 2 && isSeparator(directory[0]) && isSeparator(directory[1])) return true;
  return directory.size() >= 3 && isLetter(directory[0]) && directory[1] == u':' && isSeparator(directory[2]);
}

}  // namespace

std::vector<std::wstring> firefoxInstallDirectories() {
  std::unordered_set<std::u16string> seen;
  std::vector<std::wstring> directories;
  for (const std::u16string& directory : Quarvo::firefoxDirectories(Quarvo::RegistrationView::Only32Bit)) {
    if (!seen.insert(directory).second || !isAbsolute(directory)) continue;
    directories.emplace_back(directory.begin(), directory.end());
  }
  return directories;
}

}  // namespace setup
