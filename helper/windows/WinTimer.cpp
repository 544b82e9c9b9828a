// Quarvo::windows::WinTimer, Timer::create and currentTime for Windows.
#include "WinTimer.h"

#include <windows.h>

#include <map>

namespace Quarvo {
namespace windows {

CXX_DEFINE_CLASS(WinTimer, "Quarvo::windows", "WinTimer", Timer)

namespace {

// Timers are not retained here: a timer removes itself when it stops or goes away.
std::map<uintptr_t, WinTimer*>& timers() {
  static std::map<uintptr_t, WinTimer*> map;
  return map;
}

void CALLBACK timerProc(HWND, UINT, UINT_PTR id, DWORD) { WinTimer::fired(id); }

UINT milliseconds(double seconds) {
  if (!(seconds > 0)) return 0;
  if (seconds > 2000000.0) return 2000000000u;
  return static_cast<UINT>(seconds * 1000);
}

}  // namespace

WinTimer* WinTimer::create(double fireTime, double interval, Callback callback, CXX::Object* target) {
  CXX::Ref<WinTimer> timer(CXX::alloc<WinTimer>());
  timer->setUp(fireTime, interval, callback, target);
  return timer.take();
}

bool WinTimer::start() {
  if (timerId_ != 0) return false;
  armed_ = true;
  timerId_ = SetTimer(nullptr, 0, milliseconds(fireTime() - currentTime()), &timerProc);
  if (timerId_ != 0) timers()[timerId_] = this;
  return timerId_ != 0;
}

void WinTimer::stop() {
  if (timerId_ == 0) return;
  KillTimer(nullptr, timerId_);
  timers().erase(timerId_);
  timerId_ = 0;
}

void WinTimer::fired(uintptr_t timerId) {
  auto found = timers().find(timerId);
  if (found == timers().end()) return;
  WinTimer* timer = found->second;
  if (timer->interval() > 0 && timer->armed_)
    SetTimer(nullptr, timerId, milliseconds(timer->interval()), &timerProc);
  else if (timer->interval() <= 0)
    timer->stop();
  // The callback may stop and release the timer: nothing touches it afterwards.
  timer->fire();
}

}  // namespace windows

Timer* Timer::create(double fireTime, double interval, Callback callback, CXX::Object* target) {
  return windows::WinTimer::create(fireTime, interval, callback, target);
}

double currentTime() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  // 100-ns ticks since 1601, as seconds since 2001-01-01 00:00:00 UTC.
  return now.dwHighDateTime * 429.4967296 + now.dwLowDateTime / 10000000.0 - 12622780800.0;
}

}  // namespace Quarvo
