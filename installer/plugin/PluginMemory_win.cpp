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
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) {
    return false;
  }
  std::string converted(static_cast<std::size_t>(bytes), '\0');
  if (WideCharToMultiByte(CP_ACP, 0, wide, length, converted.data(), bytes, nullptr, nullptr) != bytes) {
    return false;
  }
  out = std::move(converted);
  return true;
}

}  // namespace setup::memory
