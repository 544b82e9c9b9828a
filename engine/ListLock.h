// The lock record of a URL list: spin-and-yield, writer-preferring reader/writer lock.
// New readers wait as soon as a writer has raised its flag, even while earlier readers drain.
#pragma once

#include <cstdint>

#include "CXXRuntime/Platform.h"

namespace kiv {

class ListLock {
 public:
  // Throws CXX::SystemError "InitializeCriticalSectionAndSpinCount: <code>".
  ListLock();
  ListLock(const ListLock&) = delete;
  ListLock& operator=(const ListLock&) = delete;

  void readLock();
  void writeLock();
  // Ends a read when readers are counted, else the write.
  void unlock();

 private:
  // Enters the critical section once no writer holds or waits for the lock.
  void enterWithoutWriter();

  // Held only for a few field updates; a short spin suits it.
  static constexpr uint32_t kSpinCount = 16;

  CXX::platform::CriticalSection section_;
  int32_t readers_ = 0;
  bool writer_ = false;
};

}  // namespace kiv
