// Java's modified UTF-8, as the VM produces and reads it: every UTF-16 unit on its own, U+0000
// as C0 80, supplementary characters as two 3-byte surrogate halves. Reading is as lenient as
// the VM's: a byte that starts no valid sequence stands for itself (Latin-1).
#pragma once

#include <string>
#include <string_view>

namespace jnihost {

std::string toModifiedUtf8(std::u16string_view text);
std::u16string fromModifiedUtf8(std::string_view bytes);

// Standard UTF-8 both ways, for tests and messages; lone surrogates become U+FFFD.
std::string toUtf8(std::u16string_view text);
std::u16string fromUtf8(std::string_view utf8);

}  // namespace jnihost
