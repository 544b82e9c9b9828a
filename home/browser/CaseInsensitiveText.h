// Comparisons of UTF-16 texts that ignore case character by character, as file and account
// names do on Windows (invariant upper-casing, no linguistic folding).
#pragma once

#include <cstddef>

namespace Quarvo {

bool equalIgnoringCase(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength) noexcept;
// Zero-terminated texts.
bool equalIgnoringCase(const wchar_t* a, const wchar_t* b) noexcept;
bool startsWithIgnoringCase(const wchar_t* text, size_t textLength, const wchar_t* prefix, size_t prefixLength) noexcept;
bool endsWithIgnoringCase(const wchar_t* text, size_t textLength, const wchar_t* suffix, size_t suffixLength) noexcept;

}  // namespace Quarvo
