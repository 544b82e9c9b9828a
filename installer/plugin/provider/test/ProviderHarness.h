// What the provider tests share: a fresh stand-in store for each test, and the provider actions
// called through the test-only library beside the test program, loaded anew on request.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "PluginHost.h"
#include "StandInStore.h"
#include "test_platform.h"

namespace setup::testing {

// A stand-in store in a temporary file, named to the stand-in through the environment.
class StandInStoreFile {
 public:
  StandInStoreFile();
  ~StandInStoreFile();
  StandInStoreFile(const StandInStoreFile&) = delete;
  StandInStoreFile& operator=(const StandInStoreFile&) = delete;

  fwpstandin::Store read() const;
  void write(const fwpstandin::Store& store) const;
  // Keeps the objects, forgets the calls.
  void clearCalls() const;
  void failCall(const std::string& function, int nth, unsigned long status) const;

 private:
  CXX::testing::TempFile file_;
};

// One load of the test-only provider library; throws when it does not load.
class ProviderLibrary {
 public:
  // The text each action pushed; "<none>" when it pushed nothing, "<more>" when more than one.
  std::string install() const;
  std::string uninstall() const;

 private:
  std::string run(const char* action) const;

  LoadedPlugin library_{L"setup_provider_probe.dll"};
};

// Whether FWPUCLNT.DLL is loaded in this process.
bool platformLoaded();

}  // namespace setup::testing
