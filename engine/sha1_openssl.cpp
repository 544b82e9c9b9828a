// Name keys through libcrypto's SHA-1. The low-level context calls are used on purpose:
// they hash from a stack context with no per-call algorithm fetch or allocation, about three
// times faster than the EVP one-shot for the 10-40 byte names this hashes on every check.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include "Sha1Key.h"

namespace kiv {

Key keyOf(const void* bytes, size_t length) {
  SHA_CTX context;
  unsigned char digest[SHA_DIGEST_LENGTH];
  SHA1_Init(&context);
  SHA1_Update(&context, bytes, length);
  SHA1_Final(digest, &context);
  Key key;
  std::memcpy(key.bytes, digest, kKeySize);
  return key;
}

}  // namespace kiv
