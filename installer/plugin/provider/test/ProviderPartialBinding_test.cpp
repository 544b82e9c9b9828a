// The provider actions beside a FWPUCLNT.DLL that lacks one of the nine functions: the library
// is loaded at the first call (never while the plug-in loads), let go of at once, and both
// actions succeed without calling into it, once per load of the plug-in.
#include <gtest/gtest.h>

#include "ProviderHarness.h"

namespace setup::testing {
namespace {

TEST(ProviderPartialBinding, LoadsThePlatformAtTheFirstCallAndUsesNothingOfIt) {
  StandInStoreFile store;
  ProviderLibrary library;
  EXPECT_EQ(store.read().loads, 0);

  EXPECT_EQ(library.install(), "0");
  EXPECT_EQ(store.read().loads, 1);
  EXPECT_FALSE(platformLoaded());

  EXPECT_EQ(library.uninstall(), "0");
  EXPECT_EQ(library.install(), "0");

  fwpstandin::Store after = store.read();
  EXPECT_EQ(after.loads, 1);
  EXPECT_TRUE(after.calls.empty());
  EXPECT_TRUE(after.objects.empty());
  EXPECT_FALSE(platformLoaded());
}

TEST(ProviderPartialBinding, EachLoadOfThePluginBindsAgain) {
  StandInStoreFile store;
  for (int load = 1; load <= 2; ++load) {
    ProviderLibrary library;
    EXPECT_EQ(library.uninstall(), "0");
    EXPECT_EQ(store.read().loads, load);
  }
  EXPECT_TRUE(store.read().calls.empty());
}

}  // namespace
}  // namespace setup::testing
