#include "CryptoSha1.h"

#include <windows.h>
#include <wincrypt.h>

#include <limits>

namespace setup {

namespace {

// A verify-only provider: hashing needs no key container.
class ScopedProvider {
 public:
  ScopedProvider() {
    if (!CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) provider_ = 0;
  }
  ~ScopedProvider() {
    if (provider_ != 0) CryptReleaseContext(provider_, 0);
  }
  ScopedProvider(const ScopedProvider&) = delete;
  ScopedProvider& operator=(const ScopedProvider&) = delete;

  HCRYPTPROV get() const { return provider_; }
  explicit operator bool() const { return provider_ != 0; }

 private:
  HCRYPTPROV provider_ = 0;
};

class ScopedHash {
 public:
  explicit ScopedHash(const ScopedProvider& provider) {
    if (!CryptCreateHash(provider.get(), CALG_SHA1, 0, 0, &hash_)) hash_ = 0;
  }
  ~ScopedHash() {
    if (hash_ != 0) CryptDestroyHash(hash_);
  }
  ScopedHash(const ScopedHash&) = delete;
  ScopedHash& operator=(const ScopedHash&) = delete;

  HCRYPTHASH get() const { return hash_; }
  explicit operator bool() const { return hash_ != 0; }

 private:
  HCRYPTHASH hash_ = 0;
};

}  // namespace

std::optional<Sha1Digest> sha1(const void* bytes, std::size_t length) {
  if (length > std::numeric_limits<DWORD>::max()) return std::nullopt;
  ScopedProvider provider;
  if (!provider) return std::nullopt;
  ScopedHash hash(provider);
  if (!hash) return std::nullopt;
  if (!CryptHashData(hash.get(), static_cast<const BYTE*>(bytes), static_cast<DWORD>(length), 0)) return std::nullopt;
  Sha1Digest digest{};
  DWORD digestLength = static_cast<DWORD>(digest.size());
  if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest.data(), &digestLength, 0)) return std::nullopt;
  if (digestLength != digest.size()) return std::nullopt;
  return digest;
}

}  // namespace setup
