// An open registry key, closed when it goes out of scope.
#pragma once

#include <windows.h>

namespace Quarvo {
namespace os {

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() { close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  HKEY get() const { return key_; }
  // For the Reg*KeyEx calls that open or create: closes any key held first.
  HKEY* receive() {
    close();
    return &key_;
  }
  void close() {
    if (key_ != nullptr) RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace os
}  // namespace Quarvo
