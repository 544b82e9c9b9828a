// Quarvo::windows::WinTimer: a Timer on a thread timer (SetTimer without a window). One timer
// procedure serves all timers through a process-wide map from timer identifier to timer.
#pragma once

#include <cstdint>

#include "Timer.h"

namespace Quarvo {
namespace windows {

class WinTimer : public Timer {
  CXX_DECLARE_CLASS(WinTimer)

 public:
  static WinTimer* create(double fireTime, double interval, Callback callback, CXX::Object* target);

  bool start() override;
  void stop() override;

  // What the timer procedure does for the timer with this identifier.
  static void fired(uintptr_t timerId);

 protected:
  WinTimer() = default;

 private:
  uintptr_t timerId_ = 0;
  bool armed_ = false;
};

}  // namespace windows
}  // namespace Quarvo
