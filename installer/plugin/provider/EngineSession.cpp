#include "EngineSession.h"

namespace setup {

EngineSession::~EngineSession() {
  if (engine_ != nullptr) fwp_.engineClose(engine_);
}

DWORD EngineSession::open(const FWPM_SESSION0& session) noexcept {
  HANDLE opened = nullptr;
  DWORD status = fwp_.engineOpen(nullptr, RPC_C_AUTHN_DEFAULT, nullptr, &session, &opened);
  if (status == ERROR_SUCCESS) engine_ = opened;
  return status;
}

}  // namespace setup
