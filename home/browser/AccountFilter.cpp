#include "AccountFilter.h"

#include "CaseInsensitiveText.h"

namespace Quarvo {

namespace {

constexpr wchar_t kAspNet[] = L"ASPNET";
constexpr wchar_t kUpdatusUser[] = L"UpdatusUser";

template <size_t N>
bool isNamed(const wchar_t* name, size_t length, const wchar_t (&account)[N]) noexcept {
  return equalIgnoringCase(name, length, account, N - 1);
}

}  // namespace

bool isHiddenAccount(const wchar_t* name, size_t length) noexcept {
  if (!name || length == 0) return true;
  if (name[length - 1] == L'$') return true;
  return isNamed(name, length, kAspNet) || isNamed(name, length, kUpdatusUser);
}

}  // namespace Quarvo
