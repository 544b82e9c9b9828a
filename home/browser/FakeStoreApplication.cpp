#include "FakeStoreApplication.h"

#include <cwchar>
#include <utility>

#include "RuntimeBindings.h"

namespace Quarvo::testing {

namespace {

constexpr LONG kNoPackage = 15700;

DWORD storeProcessId = 0;
std::wstring storeFamilyName;

LONG WINAPI fakeGetPackageFamilyName(HANDLE process, UINT32* length, PWSTR familyName) {
  if (GetProcessId(process) != storeProcessId) return kNoPackage;
  const UINT32 needed = static_cast<UINT32>(storeFamilyName.size() + 1);
  const bool fits = familyName && *length >= needed;
  *length = needed;
  if (!fits) return ERROR_INSUFFICIENT_BUFFER;
  std::wmemcpy(familyName, storeFamilyName.c_str(), needed);
  return ERROR_SUCCESS;
}

BOOL WINAPI fakeIsImmersiveProcess(HANDLE process) { return GetProcessId(process) == storeProcessId; }

}  // namespace

FakeStoreApplication::FakeStoreApplication(DWORD processId, std::wstring familyName, ImmersiveQuery immersiveQuery) {
  storeProcessId = processId;
  storeFamilyName = std::move(familyName);
  getPackageFamilyNameBinding().overrideForTesting(&fakeGetPackageFamilyName);
  isImmersiveProcessBinding().overrideForTesting(immersiveQuery == ImmersiveQuery::kPresent ? &fakeIsImmersiveProcess
                                                                                             : nullptr);
}

FakeStoreApplication::~FakeStoreApplication() {
  getPackageFamilyNameBinding().restoreForTesting();
  isImmersiveProcessBinding().restoreForTesting();
  storeProcessId = 0;
}

}  // namespace Quarvo::testing
