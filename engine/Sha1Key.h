// Name keys: the first 10 bytes of the SHA-1 digest of a name's exact bytes.
// The digest comes from the system's well-kept implementation (libcrypto on Linux, the
// Windows CryptoAPI on Windows): sha1_openssl.cpp and sha1_win.cpp.
#pragma once

#include <cstddef>

#include "ListFormat.h"

namespace kiv {

Key keyOf(const void* bytes, size_t length);

}  // namespace kiv
