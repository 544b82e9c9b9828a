#include "CaseInsensitiveText.h"

#include <windows.h>

#include <cwchar>

namespace Quarvo {

namespace {

wchar_t upperCase(wchar_t c) noexcept {
  wchar_t upper = c;
  return LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, &c, 1, &upper, 1) == 1 ? upper : c;
}

bool sameIgnoringCase(const wchar_t* a, const wchar_t* b, size_t length) noexcept {
  for (size_t i = 0; i < length; ++i) {
    if (a[i] != b[i] && upperCase(a[i]) != upperCase(b[i])) return false;
  }
  return true;
}

}  // namespace

bool equalIgnoringCase(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength) noexcept {
  return aLength == bLength && sameIgnoringCase(a, b, aLength);
}

bool equalIgnoringCase(const wchar_t* a, const wchar_t* b) noexcept {
  return equalIgnoringCase(a, std::wcslen(a), b, std::wcslen(b));
}

bool startsWithIgnoringCase(const wchar_t* text, size_t textLength, const wchar_t* prefix, size_t prefixLength) noexcept {
  return prefixLength <= textLength && sameIgnoringCase(text, prefix, prefixLength);
}

bool endsWithIgnoringCase(const wchar_t* text, size_t textLength, const wchar_t* suffix, size_t suffixLength) noexcept {
  return suffixLength <= textLength && sameIgnoringCase(text + textLength - suffixLength, suffix, suffixLength);
}

}  // namespace Quarvo
