// Quarvo::Timer: the portable part of the helper's timers.
#include "Timer.h"

namespace Quarvo {

CXX_DEFINE_ABSTRACT_CLASS(Timer, "Quarvo", "Timer", CXX::Object, "Quarvo:: Timer")

void Timer::setUp(double fireAt, double every, Callback onFire, CXX::Object* object) {
  fireTime_ = fireAt;
  interval_ = every;
  callback_ = onFire;
  CXX::assignRetained(target_, object);
}

void Timer::fire() {
  if (callback_) callback_(this, target_);
}

void Timer::dealloc() {
  stop();
  CXX::releaseAndClear(target_);
  CXX::Object::dealloc();
}

}  // namespace Quarvo
