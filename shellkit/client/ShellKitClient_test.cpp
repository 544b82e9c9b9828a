// The ShellKit loader: search order, the Windows 8 rule, and exports bound once.
// Built twice: once for a prefix reporting Windows 10, once (EXPECT_WINDOWS7) as an
// executable that Wine is told to present Windows 7 to.
#include <gtest/gtest.h>
#include <windows.h>

#include "ShellKitClient.h"

namespace Quarvo {

const wchar_t* const* shellKitSearchPath() {
  static const wchar_t* const path[] = {L"lib", L".", nullptr};
  return path;
}

namespace {

#ifdef EXPECT_WINDOWS7

TEST(ShellKitLoader, Windows7LoadsNothingEvenWithTheFilePresent) {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  ASSERT_TRUE(GetVersionExW(&version));
  ASSERT_EQ(version.dwMajorVersion * 256 + version.dwMinorVersion, 0x601u) << "this executable must see Windows 7";
  EXPECT_FALSE(ShellKit::shared().loaded());
  EXPECT_EQ(ShellKit::shared().registerApplication(), nullptr);
}

#else

TEST(ShellKitLoader, LibFolderIsSearchedBeforeTheProgramsOwn) {
  ASSERT_TRUE(ShellKit::shared().loaded());
  auto whichCopy = reinterpret_cast<int (*)()>(
      reinterpret_cast<void*>(GetProcAddress(ShellKit::shared().module(), "WhichCopy")));
  ASSERT_NE(whichCopy, nullptr);
  EXPECT_EQ(whichCopy(), 1);  // the copy in lib/
}

TEST(ShellKitLoader, ExportsAreLookedUpOnceEvenWhenMissing) {
  ShellKit& shellKit = ShellKit::shared();
  int before = shellKit.lookups();
  EXPECT_EQ(shellKit.displayNotification(), nullptr);
  EXPECT_EQ(shellKit.displayNotification(), nullptr);
  EXPECT_NE(shellKit.registerApplication(), nullptr);
  EXPECT_NE(shellKit.registerApplication(), nullptr);
  EXPECT_EQ(shellKit.lookups(), before + 2);
}

#endif

}  // namespace
}  // namespace Quarvo
