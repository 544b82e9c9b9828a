// The nine filtering-platform management functions, bound by name from FWPUCLNT.DLL. The
// platform counts as present only on systems after Windows 7 and only when all nine are found;
// otherwise nothing stays bound and the library is not kept loaded.
#pragma once

#include "FwpApi.h"

namespace setup {

struct FwpFunctions {
  decltype(&FwpmEngineOpen0) engineOpen;
  decltype(&FwpmEngineClose0) engineClose;
  decltype(&FwpmTransactionBegin0) transactionBegin;
  decltype(&FwpmTransactionCommit0) transactionCommit;
  decltype(&FwpmTransactionAbort0) transactionAbort;
  decltype(&FwpmProviderAdd0) providerAdd;
  decltype(&FwpmProviderDeleteByKey0) providerDeleteByKey;
  decltype(&FwpmFilterAdd0) filterAdd;
  decltype(&FwpmFilterDeleteByKey0) filterDeleteByKey;
};

class FwpBinding {
 public:
  // Reads the system version, then loads the library and looks the functions up.
  FwpBinding() noexcept;
  FwpBinding(const FwpBinding&) = delete;
  FwpBinding& operator=(const FwpBinding&) = delete;

  // The bound functions, or null when the platform is absent.
  const FwpFunctions* functions() const noexcept { return present_ ? &functions_ : nullptr; }

 private:
  bool bind(HMODULE library) noexcept;

  FwpFunctions functions_ = {};
  bool present_ = false;
};

}  // namespace setup
