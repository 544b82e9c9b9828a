// homebridge.dll's user provider on Wine's real accounts, through the loader as the service's
// VM reaches it.
#include <windows.h>
#include <userenv.h>

#include <gtest/gtest.h>

#include "jnihost/HostTest.h"

namespace {

constexpr const char* kProviderClass = "jni/com/quarvo/os/windows/WindowsUserProvider";

class UserProviderNativesTest : public jnihost::HostTest {
 protected:
  static void* fn(const char* name) {
    return native(library("homebridge.dll"), std::string("Java_jni_com_quarvo_os_windows_WindowsUserProvider_") + name);
  }
};

// Wine lists one account, the Unix user the tests run as, without a full name.
TEST_F(UserProviderNativesTest, ListsWinesOneAccountUnderItsOwnName) {
  jnihost::Object* map = vm.callStatic<jnihost::Object*>(fn("getUserNames"), kProviderClass);
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(vm.className(map), "java/util/HashMap");
  auto entries = vm.entries(map);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(vm.utf8(entries[0].first), "root");
  EXPECT_EQ(vm.utf8(entries[0].second), "root");
}

TEST_F(UserProviderNativesTest, ProfilesDirectoryIsTheSystemsWithoutItsTerminator) {
  wchar_t expected[MAX_PATH];
  DWORD length = MAX_PATH;
  ASSERT_TRUE(GetProfilesDirectoryW(expected, &length));
  jnihost::Object* directory = vm.callStatic<jnihost::Object*>(fn("getProfilesDirectory"), kProviderClass);
  ASSERT_NE(directory, nullptr);
  EXPECT_EQ(vm.text(directory), std::u16string(reinterpret_cast<const char16_t*>(expected)));
  EXPECT_NE(vm.text(directory).back(), u'\0');
}

}  // namespace
