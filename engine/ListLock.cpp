// The URL list's reader/writer lock: a critical section guarding a reader count and a writer
// flag, with waiters yielding the processor between tries.
#include "ListLock.h"

#include "Env.h"

namespace kiv {

ListLock::ListLock() : section_(kSpinCount) {}

void ListLock::enterWithoutWriter() {
  for (;;) {
    section_.lock();
    if (!writer_) return;
    section_.unlock();
    env::yieldProcessor();
  }
}

void ListLock::readLock() {
  enterWithoutWriter();
  ++readers_;
  section_.unlock();
}

void ListLock::writeLock() {
  enterWithoutWriter();
  // Raised before the readers drain, so that no new reader gets in meanwhile.
  writer_ = true;
  while (readers_ > 0) {
    section_.unlock();
    env::yieldProcessor();
    section_.lock();
  }
  section_.unlock();
}

void ListLock::unlock() {
  section_.lock();
  if (readers_ > 0)
    --readers_;
  else
    writer_ = false;
  section_.unlock();
}

}  // namespace kiv
