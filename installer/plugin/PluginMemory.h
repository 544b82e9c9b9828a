// The platform's side of the plug-in calling convention: the installer's own allocator for stack
// nodes, and text conversion to the 8-bit code page. Windows uses the global-memory functions and
// the ANSI code page; the native build uses the C heap and ASCII only, so the logic above it is
// tested without Windows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace setup::memory {

// A zero-filled block the installer can release itself (GlobalAlloc with GPTR), or nullptr.
void* allocateZeroed(std::size_t bytes);

// Releases a block from allocateZeroed or from the installer (GlobalFree).
void release(void* block);

// How many blocks release has been handed since start, so checks can prove nodes are freed.
std::size_t releasedBlocks();

// The whole text in the 8-bit code page; false (and `out` untouched) when it does not convert.
bool toAnsi(std::u16string_view text, std::string& out);

}  // namespace setup::memory
