// The machine identifier on a machine without network adapters (a stub iphlpapi.dll beside this
// program): derived from the DigitalProductId value, which the test writes and restores.
#include <windows.h>

#include <gtest/gtest.h>
#include <iphlpapi.h>

#include <vector>

#include "jnihost/HostTest.h"

namespace {

const wchar_t* kCurrentVersion = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// Keeps the machine's own DigitalProductId and puts it back when the test ends.
class ProductIdGuard {
 public:
  ProductIdGuard() {
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kCurrentVersion, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    DWORD size = 0;
    had_ = RegQueryValueExW(key_, L"DigitalProductId", nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
    original_.resize(size);
    if (had_) RegQueryValueExW(key_, L"DigitalProductId", nullptr, &type_, original_.data(), &size);
  }
  ~ProductIdGuard() {
    if (had_) {
      RegSetValueExW(key_, L"DigitalProductId", 0, type_, original_.data(), static_cast<DWORD>(original_.size()));
    } else {
      RegDeleteValueW(key_, L"DigitalProductId");
    }
    RegCloseKey(key_);
  }
  ProductIdGuard(const ProductIdGuard&) = delete;
  ProductIdGuard& operator=(const ProductIdGuard&) = delete;

  void set(const std::vector<uint8_t>& bytes, DWORD type = REG_BINARY) {
    ASSERT_EQ(RegSetValueExW(key_, L"DigitalProductId", 0, type, bytes.data(), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
  }

 private:
  HKEY key_ = nullptr;
  bool had_ = false;
  DWORD type_ = REG_BINARY;
  std::vector<uint8_t> original_;
};

class ProductIdTest : public jnihost::HostTest {
 protected:
  jnihost::Object* identifier() {
    void* fn = native(library("sysbridge.dll"), "Java_jni_com_quarvo_os_windows_SysKit_getSystemIdentifier");
    return vm.callStatic<jnihost::Object*>(fn, "jni/com/quarvo/os/windows/SysKit");
  }
};

TEST_F(ProductIdTest, TheStubHidesEveryAdapter) {
  std::vector<uint8_t> buffer(65536);
  ULONG size = static_cast<ULONG>(buffer.size());
  EXPECT_EQ(GetAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size),
            static_cast<ULONG>(ERROR_NO_DATA));
}

TEST_F(ProductIdTest, TheIdentifierIsDerivedFromTheProductId) {
  ProductIdGuard guard;
  std::vector<uint8_t> id(164);
  for (size_t i = 0; i < id.size(); ++i) id[i] = static_cast<uint8_t>(0x10 + i * 3);
  guard.set(id);
  std::vector<uint8_t> expected = {
      static_cast<uint8_t>(id[11] ^ id[9]),  static_cast<uint8_t>(id[8] ^ id[5]),
      static_cast<uint8_t>(id[13] ^ id[2]),  static_cast<uint8_t>(id[7] ^ id[6]),
      static_cast<uint8_t>(id[14] ^ id[10]), static_cast<uint8_t>(id[12] ^ id[4]),
  };
  EXPECT_EQ(vm.bytes(identifier()), expected);
  EXPECT_EQ(vm.bytes(identifier()), expected) << "twice the same";

  guard.set(std::vector<uint8_t>(id.begin(), id.begin() + 15));
  EXPECT_EQ(vm.bytes(identifier()), expected) << "15 bytes are enough";
  guard.set(std::vector<uint8_t>(id.begin(), id.begin() + 14));
  EXPECT_EQ(identifier(), nullptr) << "14 bytes are not";
  guard.set(id, REG_SZ);
  EXPECT_EQ(identifier(), nullptr) << "only a binary value counts";
}

}  // namespace
