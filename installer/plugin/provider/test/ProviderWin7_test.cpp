// The provider actions in a program the Wine prefix presents as Windows 7: the platform counts
// as absent, so both succeed without loading it.
#include <gtest/gtest.h>

#include "ProviderHarness.h"

namespace setup::testing {
namespace {

TEST(ProviderOnWindows7, BothActionsSucceedWithoutLoadingOrCallingThePlatform) {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  ASSERT_TRUE(GetVersionExW(&version));
  ASSERT_EQ(version.dwMajorVersion * 256 + version.dwMinorVersion, 0x601u) << "the prefix must present Windows 7";
  StandInStoreFile store;
  ProviderLibrary library;

  EXPECT_EQ(library.install(), "0");
  EXPECT_EQ(library.uninstall(), "0");

  fwpstandin::Store after = store.read();
  EXPECT_EQ(after.loads, 0);
  EXPECT_TRUE(after.calls.empty());
  EXPECT_TRUE(after.objects.empty());
  EXPECT_FALSE(platformLoaded());
}

}  // namespace
}  // namespace setup::testing
