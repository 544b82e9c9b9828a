// Test support: gives one process a package family name through the run-time binding seam, as
// Wine has no store applications. While the object lives, GetPackageFamilyName answers as
// Windows does (the name, or 122 with the size needed) for that process and 15700 (no package)
// for every other; IsImmersiveProcess is either a fake agreeing with it or missing.
#pragma once

#include <windows.h>

#include <string>

namespace Quarvo::testing {

class FakeStoreApplication {
 public:
  enum class ImmersiveQuery { kPresent, kMissing };

  FakeStoreApplication(DWORD processId, std::wstring familyName, ImmersiveQuery immersiveQuery);
  ~FakeStoreApplication();
  FakeStoreApplication(const FakeStoreApplication&) = delete;
  FakeStoreApplication& operator=(const FakeStoreApplication&) = delete;
};

}  // namespace Quarvo::testing
