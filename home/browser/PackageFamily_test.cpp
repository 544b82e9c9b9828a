#include "PackageFamily.h"

#include <gtest/gtest.h>

#include <string>

#include "FakeStoreApplication.h"
#include "ProcessWalk.h"
#include "ScopedBindingOverride.h"
#include "TestPrograms.h"

namespace Quarvo {
namespace {

using testing::FakeStoreApplication;
using testing::ScopedBindingOverride;
using Immersive = FakeStoreApplication::ImmersiveQuery;

constexpr wchar_t kFamily[] = L"Quarvo.TestApp_8wekyb3d8bbwe";

TEST(PackageFamily, DesktopProcessHasNoFamilyAndIsNotImmersive) {
  wchar_t name[256];
  uint32_t length = 256;
  const uint32_t answer = packageFamilyNameOf(GetCurrentProcess(), &length, name);
  EXPECT_NE(answer, 0u);
  EXPECT_NE(answer, uint32_t{ERROR_INSUFFICIENT_BUFFER});
  EXPECT_FALSE(isImmersive(GetCurrentProcess()));
}

TEST(PackageFamily, MissingSystemFunctionAnswersNotSupported) {
  ScopedBindingOverride<GetPackageFamilyNameFunction> missingFamily(getPackageFamilyNameBinding(), nullptr);
  ScopedBindingOverride<IsImmersiveProcessFunction> missingImmersive(isImmersiveProcessBinding(), nullptr);
  uint32_t length = 0;
  EXPECT_EQ(packageFamilyNameOf(GetCurrentProcess(), &length, nullptr), uint32_t{ERROR_NOT_SUPPORTED});
  EXPECT_FALSE(isImmersive(GetCurrentProcess()));
}

TEST(PackageFamily, WithoutIsImmersiveProcessAFamilyNameMeansImmersive) {
  testing::ChildProgram child(testing::besideTestProgram(L"closing_window.exe"));
  ASSERT_TRUE(child.ready());
  FakeStoreApplication store(child.processId(), kFamily, Immersive::kMissing);
  ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, child.processId()));
  ASSERT_TRUE(process);
  EXPECT_TRUE(isImmersive(process.get()));
  EXPECT_FALSE(isImmersive(GetCurrentProcess()));
}

BOOL WINAPI neverImmersive(HANDLE) { return FALSE; }

TEST(PackageFamily, IsImmersiveProcessDecidesWhereItExists) {
  FakeStoreApplication store(GetCurrentProcessId(), kFamily, Immersive::kPresent);
  EXPECT_TRUE(isImmersive(GetCurrentProcess()));
  ScopedBindingOverride<IsImmersiveProcessFunction> notImmersive(isImmersiveProcessBinding(), &neverImmersive);
  EXPECT_FALSE(isImmersive(GetCurrentProcess()));
}

TEST(PackageFamily, WalkReportsAStoreProcessAsImmersive) {
  testing::ChildProgram child(testing::besideTestProgram(L"closing_window.exe"));
  ASSERT_TRUE(child.ready());
  FakeStoreApplication store(child.processId(), kFamily, Immersive::kMissing);
  int childVisits = 0;
  int otherImmersive = 0;
  forEachProcess(0, [&](const ProcessInfo& info) {
    if (info.processId == child.processId()) {
      ++childVisits;
      EXPECT_TRUE(info.immersive);
    } else if (info.immersive) {
      ++otherImmersive;
    }
    return true;
  });
  EXPECT_EQ(childVisits, 1);
  EXPECT_EQ(otherImmersive, 0);
}

}  // namespace
}  // namespace Quarvo
