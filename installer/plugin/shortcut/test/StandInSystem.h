// A ShortcutSystem for tests: hands out one stand-in link, reports the version it is given and
// can refuse to allocate.
#pragma once

#include "ShortcutSystem.h"
#include "StandInShellLink.h"

#include <objbase.h>

namespace setup::testing {

class StandInSystem : public ShortcutSystem {
 public:
  explicit StandInSystem(unsigned systemVersion) : systemVersion_(systemVersion) {}

  HRESULT createLink(IShellLinkW** created) override {
    ++linksCreated;
    if (FAILED(creationStatus)) return creationStatus;
    link.AddRef();
    *created = &link;
    return S_OK;
  }

  unsigned version() override { return systemVersion_; }

  void* allocate(std::size_t bytes) override {
    ++allocations;
    return allocationFails ? nullptr : CoTaskMemAlloc(bytes);
  }

  StandInShellLink link;
  HRESULT creationStatus = S_OK;
  bool allocationFails = false;
  int linksCreated = 0;
  int allocations = 0;

 private:
  unsigned systemVersion_;
};

}  // namespace setup::testing
