#include "ProcessOwner.h"

#include "ScopedHandle.h"

namespace Quarvo {

namespace {

// The domain is not reported; room for 128 characters, as for the name.
constexpr DWORD kDomainCapacity = 129;

}  // namespace

bool processOwnerName(HANDLE process, wchar_t* name, size_t capacity) noexcept {
  if (capacity == 0) return false;
  ScopedHandle token;
  if (!OpenProcessToken(process, TOKEN_QUERY, token.receive())) return false;
  // TOKEN_USER followed by its SID, which never exceeds SECURITY_MAX_SID_SIZE.
  alignas(TOKEN_USER) unsigned char tokenUser[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD returned = 0;
  if (!GetTokenInformation(token.get(), TokenUser, tokenUser, sizeof tokenUser, &returned)) return false;
  const PSID sid = reinterpret_cast<TOKEN_USER*>(tokenUser)->User.Sid;
  DWORD nameLength = static_cast<DWORD>(capacity);
  wchar_t domain[kDomainCapacity];
  DWORD domainLength = kDomainCapacity;
  SID_NAME_USE use;
  return LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use) != FALSE;
}

}  // namespace Quarvo
