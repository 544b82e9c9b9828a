// Name keys through the Windows CryptoAPI's SHA-1 (present from Windows XP on).
#include <windows.h>
#include <wincrypt.h>

#include "Sha1Key.h"

#include "CXXRuntime/CXXBase"

namespace kiv {

namespace {

// One verify-only provider for the process; acquiring it is far costlier than hashing.
HCRYPTPROV provider() {
  static HCRYPTPROV shared = [] {
    HCRYPTPROV handle = 0;
    if (!CryptAcquireContextW(&handle, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
      CXX::raiseSystemError("CryptAcquireContext", GetLastError());
    return handle;
  }();
  return shared;
}

class ScopedHash {
 public:
  ScopedHash() {
    if (!CryptCreateHash(provider(), CALG_SHA1, 0, 0, &hash_)) CXX::raiseSystemError("CryptCreateHash", GetLastError());
  }
  ~ScopedHash() { CryptDestroyHash(hash_); }
  ScopedHash(const ScopedHash&) = delete;
  ScopedHash& operator=(const ScopedHash&) = delete;
  HCRYPTHASH get() const { return hash_; }

 private:
  HCRYPTHASH hash_ = 0;
};

}  // namespace

Key keyOf(const void* bytes, size_t length) {
  ScopedHash hash;
  if (!CryptHashData(hash.get(), static_cast<const BYTE*>(bytes), static_cast<DWORD>(length), 0))
    CXX::raiseSystemError("CryptHashData", GetLastError());
  BYTE digest[20];
  DWORD digestLength = sizeof digest;
  if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &digestLength, 0))
    CXX::raiseSystemError("CryptGetHashParam", GetLastError());
  Key key;
  std::memcpy(key.bytes, digest, kKeySize);
  return key;
}

}  // namespace kiv
