#include "PluginMemory.h"

#include <windows.h>

#include <atomic>
#include <climits>

namespace setup::memory {

namespace {
std::atomic<std::size_t> released{0};
}

void* allocateZeroed(std::size_t bytes) {
  return GlobalAlloc(GPTR, bytes);
}

void release(void* block) {
  ++released;
  GlobalFree(block);
}

std::size_t releasedBlocks() {
  return released.load();
}

bool toAnsi(std::u16string_view text, std::string& out) {
  if (text.empty()) {
    out.clear();
    return true;
  }
  if (text.size() > static_cast<std::size_t>(INT_MAX)) {
    return false;
  }
  // wchar_t is 16-bit UTF-16 on Windows, the same representation as char16_t.
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  // A character the code page lacks fails the conversion instead of becoming '?' or a look-alike:
  // different texts must not give the same bytes. UTF-8 has every character and takes no flags.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
  const int bytes = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, usedDefaultOut);
  if (bytes <= 0 || usedDefault) {
    return false;
  }
  std::string converted(static_cast<std::size_t>(bytes), '\0');
  if (WideCharToMultiByte(CP_ACP, flags, wide, length, converted.data(), bytes, nullptr, usedDefaultOut) != bytes ||
      usedDefault) {
    return false;
  }
  out = std::move(converted);
  return true;
}

}  // namespace setup::memory
