// One session with the filtering engine on this machine, closed exactly once when it goes away
// (a session that failed to open is never closed).
#pragma once

#include "FwpBinding.h"

namespace setup {

class EngineSession {
 public:
  explicit EngineSession(const FwpFunctions& fwp) noexcept : fwp_(fwp) {}
  ~EngineSession();
  EngineSession(const EngineSession&) = delete;
  EngineSession& operator=(const EngineSession&) = delete;

  DWORD open(const FWPM_SESSION0& session) noexcept;
  HANDLE handle() const noexcept { return engine_; }

 private:
  const FwpFunctions& fwp_;
  HANDLE engine_ = nullptr;
};

}  // namespace setup
