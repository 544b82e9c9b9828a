// Quarvo::forEachProcess: visits every running process whose owner can be named.
#pragma once

#include <cstdint>

#include "ProcessInfo.h"

namespace Quarvo {

// Takes a process snapshot and, for each process that opens with query-information access plus
// `extraAccess` and whose user can be looked up, calls `visitor`. Answers 0, also when the
// visitor ended the walk, or the system error that stopped the snapshot (ERROR_INVALID_PARAMETER
// without a visitor).
uint32_t forEachProcess(uint32_t extraAccess, ProcessVisitor visitor, void* context) noexcept;

// The same for C++ callers: `visit(const ProcessInfo&)` answers whether to go on. It is taken by
// value, so capture what it fills by reference. An exception from it ends the walk there.
template <class Visit>
uint32_t forEachProcess(uint32_t extraAccess, Visit visit) noexcept {
  ProcessVisitor trampoline = [](const ProcessInfo* info, void* context) -> int {
    try {
      return (*static_cast<Visit*>(context))(*info) ? 1 : 0;
    } catch (...) {
      return 0;
    }
  };
  return forEachProcess(extraAccess, trampoline, &visit);
}

}  // namespace Quarvo
