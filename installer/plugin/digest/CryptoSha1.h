// SHA-1 through the system's CryptoAPI (advapi32, present from Windows XP on), so the plug-in
// carries no hashing code of its own.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

namespace setup {

using Sha1Digest = std::array<unsigned char, 20>;

// The digest of `length` bytes, or nothing when the provider or the hash cannot be had.
std::optional<Sha1Digest> sha1(const void* bytes, std::size_t length);

}  // namespace setup
