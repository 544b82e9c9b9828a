#include "PluginMemory.h"

#include <atomic>
#include <cstdlib>

namespace setup::memory {

namespace {
std::atomic<std::size_t> released{0};
}

void* allocateZeroed(std::size_t bytes) {
  return std::calloc(1, bytes);
}

void release(void* block) {
  ++released;
  std::free(block);
}

std::size_t releasedBlocks() {
  return released.load();
}

bool toAnsi(std::u16string_view text, std::string& out) {
  std::string converted;
  converted.reserve(text.size());
  for (char16_t c : text) {
    if (c > 0x7F) {
      return false;
    }
    converted.push_back(static_cast<char>(c));
  }
  out = std::move(converted);
  return true;
}

}  // namespace setup::memory
