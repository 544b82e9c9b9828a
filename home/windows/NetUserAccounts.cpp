#include "NetUserAccounts.h"

#include <atomic>
#include <cstdio>
#include <string>

namespace Quarvo {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 texts");

const NetUserFunctions kSystem = {NetUserEnum, NetApiBufferFree};
std::atomic<const NetUserFunctions*> replacement{nullptr};

class PageBuffer {
 public:
  explicit PageBuffer(const NetUserFunctions& functions) : functions_(functions) {}
  ~PageBuffer() {
    if (buffer_ != nullptr) functions_.freeBuffer(buffer_);
  }
  PageBuffer(const PageBuffer&) = delete;
  PageBuffer& operator=(const PageBuffer&) = delete;
  LPBYTE* receive() { return &buffer_; }
  const USER_INFO_20* records() const { return reinterpret_cast<const USER_INFO_20*>(buffer_); }

 private:
  const NetUserFunctions& functions_;
  LPBYTE buffer_ = nullptr;
};

std::u16string textOf(const wchar_t* text) {
  return text == nullptr ? std::u16string() : std::u16string(reinterpret_cast<const char16_t*>(text));
}

void appendPage(const USER_INFO_20* records, DWORD count, std::vector<UserAccount>* accounts) {
  accounts->reserve(accounts->size() + count);
  for (DWORD i = 0; i < count; ++i) {
    const USER_INFO_20& record = records[i];
    if (record.usri20_name == nullptr || (record.usri20_flags & UF_ACCOUNTDISABLE) != 0) continue;
    accounts->push_back({textOf(record.usri20_name), textOf(record.usri20_full_name)});
  }
}

}  // namespace

const NetUserFunctions& netUserFunctions() noexcept {
  const NetUserFunctions* replaced = replacement.load(std::memory_order_acquire);
  return replaced != nullptr ? *replaced : kSystem;
}

void replaceNetUserFunctionsForTesting(const NetUserFunctions* functions) noexcept {
  replacement.store(functions, std::memory_order_release);
}

NET_API_STATUS readNetUserAccounts(const NetUserFunctions& functions, std::vector<UserAccount>* accounts) {
  DWORD resume = 0;
  NET_API_STATUS status = NERR_Success;
  do {
    PageBuffer page(functions);
    DWORD read = 0;
    DWORD total = 0;
    status = functions.enumerate(nullptr, 20, FILTER_NORMAL_ACCOUNT, page.receive(), MAX_PREFERRED_LENGTH, &read,
                                 &total, &resume);
    if (status != NERR_Success && status != ERROR_MORE_DATA) {
      std::fprintf(stderr, "A system error has occurred: %ld\n", static_cast<long>(status));
      return status;
    }
    if (page.records() == nullptr && read > 0) {
      std::fputs("An access violation has occurred\n", stderr);
      continue;
    }
    appendPage(page.records(), read, accounts);
  } while (status == ERROR_MORE_DATA);
  return status;
}

}  // namespace Quarvo
