// The objects the plug-in keeps in the filtering platform: its provider and one permit filter
// for each local proxy port, with the session record it opens the engine with.
#pragma once

#include "FwpApi.h"

namespace setup {

extern const GUID kProviderKey;
extern const GUID kProxyFilterKey4343;
extern const GUID kProxyFilterKey4350;

FWPM_SESSION0 setupSessionRecord() noexcept;
FWPM_PROVIDER0 providerRecord() noexcept;

// A persistent filter that permits loopback connections accepted on `port`. Holds the storage
// its record points into, so it stays where it was made.
class ProxyPortFilter {
 public:
  ProxyPortFilter(const GUID& key, UINT16 port) noexcept;
  ProxyPortFilter(const ProxyPortFilter&) = delete;
  ProxyPortFilter& operator=(const ProxyPortFilter&) = delete;

  const FWPM_FILTER0& record() const noexcept { return filter_; }

 private:
  GUID providerKey_;
  FWPM_FILTER_CONDITION0 conditions_[2];
  FWPM_FILTER0 filter_;
};

}  // namespace setup
