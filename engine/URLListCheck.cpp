// URLList::check, kept apart from the rest of the holder because it alone needs the URL
// parser: builds without uriparser (the mingw cross build here) still get the holder.
#include "URLList.h"

namespace kiv {

CheckResult URLList::check(const char* url, size_t length) {
  ReadLocked hold(this);
  Dictionary* current = dictionary();
  return current ? current->check(url, length) : kNoListLoaded;
}

}  // namespace kiv
