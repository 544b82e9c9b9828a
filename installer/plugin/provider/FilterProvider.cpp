#include "FilterProvider.h"

#include "EngineSession.h"
#include "FwpBinding.h"
#include "ProviderRecords.h"

namespace setup {

namespace {

// Bound on first use rather than while the plug-in loads: loading a library under the loader
// lock can deadlock.
const FwpFunctions* platform() noexcept {
  static const FwpBinding binding;
  return binding.functions();
}

bool added(DWORD status) noexcept { return status == ERROR_SUCCESS || status == fwp::kAlreadyExists; }

DWORD addFilter(const FwpFunctions& fwp, HANDLE engine, const GUID& key, UINT16 port) noexcept {
  ProxyPortFilter filter(key, port);
  return fwp.filterAdd(engine, &filter.record(), nullptr, nullptr);
}

// Objects already there count as added, so installing twice succeeds.
DWORD addObjects(const FwpFunctions& fwp, HANDLE engine) noexcept {
  FWPM_PROVIDER0 provider = providerRecord();
  DWORD status = fwp.providerAdd(engine, &provider, nullptr);
  if (added(status)) status = addFilter(fwp, engine, kProxyFilterKey4343, 4343);
  if (added(status)) status = addFilter(fwp, engine, kProxyFilterKey4350, 4350);
  return added(status) ? ERROR_SUCCESS : status;
}

DWORD removeObjects(const FwpFunctions& fwp, HANDLE engine) noexcept {
  // A filter already gone is no reason to stop; a filter still there makes the provider fail.
  fwp.filterDeleteByKey(engine, &kProxyFilterKey4350);
  fwp.filterDeleteByKey(engine, &kProxyFilterKey4343);
  return fwp.providerDeleteByKey(engine, &kProviderKey);
}

// Runs `change` in one transaction: committed when it succeeds, aborted (keeping its status)
// when not.
template <class Change>
DWORD inTransaction(const FwpFunctions& fwp, Change change) noexcept {
  EngineSession session(fwp);
  FWPM_SESSION0 record = setupSessionRecord();
  DWORD status = session.open(record);
  if (status != ERROR_SUCCESS) return status;
  status = fwp.transactionBegin(session.handle(), 0);
  if (status != ERROR_SUCCESS) return status;
  status = change(fwp, session.handle());
  if (status != ERROR_SUCCESS) {
    fwp.transactionAbort(session.handle());
    return status;
  }
  return fwp.transactionCommit(session.handle());
}

template <class Change>
void run(PluginCall& call, Change change) {
  const FwpFunctions* fwp = platform();
  DWORD status = fwp != nullptr ? inTransaction(*fwp, change) : ERROR_SUCCESS;
  call.push(decimalText(static_cast<int>(status)));
}

}  // namespace

void installProvider(PluginCall& call) { run(call, addObjects); }

void uninstallProvider(PluginCall& call) { run(call, removeObjects); }

}  // namespace setup
