// The provider actions over the platform the system itself provides. Under Wine its engine
// cannot be opened, and most of its other functions abort the process when called: the actions
// must report the open's status and call nothing else.
#include <gtest/gtest.h>

#include <string>

#include "FwpApi.h"
#include "ProviderHarness.h"

namespace setup::testing {
namespace {

TEST(ProviderOnTheSystemPlatform, ReportsAFailedOpenAndCallsNothingAfterIt) {
  HMODULE platform = LoadLibraryW(L"FWPUCLNT.DLL");
  ASSERT_NE(platform, nullptr);
  auto open = reinterpret_cast<decltype(&FwpmEngineOpen0)>(reinterpret_cast<void*>(GetProcAddress(platform, "FwpmEngineOpen0")));
  auto close = reinterpret_cast<decltype(&FwpmEngineClose0)>(reinterpret_cast<void*>(GetProcAddress(platform, "FwpmEngineClose0")));
  ASSERT_NE(open, nullptr);
  ASSERT_NE(close, nullptr);
  FWPM_SESSION0 session = {};
  HANDLE engine = nullptr;
  DWORD status = open(nullptr, RPC_C_AUTHN_DEFAULT, nullptr, &session, &engine);
  if (status == ERROR_SUCCESS) {
    close(engine);
    FreeLibrary(platform);
    GTEST_SKIP() << "this system opens the filtering engine";
  }
  ProviderLibrary library;

  EXPECT_EQ(library.install(), std::to_string(static_cast<int>(status)));
  EXPECT_EQ(library.uninstall(), std::to_string(static_cast<int>(status)));
  FreeLibrary(platform);
}

}  // namespace
}  // namespace setup::testing
