// Quarvo::Timer: a one-shot or repeating timer on the helper's thread, used for reconnect
// attempts. Timer::create and currentTime come from the platform (WinTimer.cpp on Windows;
// tests link a manual clock instead).
#pragma once

#include "CXXRuntime/CXXBase"

namespace Quarvo {

class Timer : public CXX::Object {
  CXX_DECLARE_CLASS(Timer)

 public:
  using Callback = void (*)(Timer* timer, CXX::Object* target);

  // A new, stopped timer of the platform's kind: first firing at fireTime (seconds since
  // 2001-01-01 UTC), then every interval seconds (once when interval <= 0). Retains target.
  static Timer* create(double fireTime, double interval, Callback callback, CXX::Object* target);

  virtual bool start() { return true; }
  virtual void stop() {}

  double fireTime() const { return fireTime_; }
  double interval() const { return interval_; }
  Callback callback() const { return callback_; }
  CXX::Object* target() const { return target_; }

  void dealloc() override;

 protected:
  Timer() = default;
  void setUp(double fireAt, double every, Callback onFire, CXX::Object* object);
  // Runs the callback as a firing does; the callback may stop and release the timer.
  void fire();

 private:
  double fireTime_ = 0.0;
  double interval_ = 0.0;
  Callback callback_ = nullptr;
  CXX::Object* target_ = nullptr;
};

// Seconds since 2001-01-01 00:00:00 UTC, from the platform's clock.
double currentTime();

}  // namespace Quarvo
