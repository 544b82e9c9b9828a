// The native side of the service's WindowsMessageQueue: a thread of its own, attached to the
// Java VM for its whole life, on which the application monitors run and the service hears of
// session changes. This base holds the Java side of the thread (attach, global reference,
// delegate, callbacks); a platform body (WindowsEventLoop) adds the loop, window and monitors.
//
// Lifetime: the service's handle and the running thread each hold a reference; whichever lets
// go last deletes the queue. Monitors are tracked, so those the service never stops are stopped
// and deleted on the queue thread before the delegate they call goes.
#pragma once

#include <jni.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <set>

#include "AppEventHandler.h"
#include "ApplicationMonitor.h"

namespace Quarvo {

class OSMessageQueue {
 public:
  OSMessageQueue() = default;
  OSMessageQueue(const OSMessageQueue&) = delete;
  OSMessageQueue& operator=(const OSMessageQueue&) = delete;

  virtual void quit() = 0;
  virtual ~OSMessageQueue();
  virtual void waitReady() = 0;
  virtual void signalReady() = 0;
  virtual bool startThread() = 0;
  virtual void closeThread() = 0;
  // The thread body's Java side; the platform body calls it once its own set-up is done.
  virtual void run();
  virtual void runLoop() = 0;
  virtual ApplicationMonitor* startApplicationMonitor() = 0;
  virtual void stopApplicationMonitor(ApplicationMonitor* monitor) = 0;

  // What `create` does: starts the thread and waits until it is attached and holds its own
  // global reference to `object`. False when anything failed; the queue is then unusable.
  bool start(JNIEnv* env, jobject object);

  void retain() { ++references_; }
  void release();

  // Tells the service who is at the console (null: nobody); on the queue thread only.
  void reportSessionUser(const char16_t* user);

 protected:
  // The monitors' delegate; null before the thread started and after it ended.
  ApplicationMonitor::Delegate* delegate() { return delegate_.load(); }

  // Monitor bookkeeping, safe from any thread. `adopt` refuses once the thread has ended.
  bool adopt(ApplicationMonitor* monitor);
  bool isAdopted(ApplicationMonitor* monitor);
  bool forget(ApplicationMonitor* monitor);
  // At the end of the loop: stops and deletes every monitor still tracked.
  void stopRemainingMonitors();

  std::mutex& monitorsMutex() { return monitorsMutex_; }

 private:
  bool attach(JNIEnv** env, bool* attachedHere);

  JavaVM* vm_ = nullptr;
  jobject creatorObject_ = nullptr;  // a global reference: a local one is the creator's thread's alone
  std::atomic<int> references_{1};
  jmethodID sessionDidChange_ = nullptr;
  JNIEnv* env_ = nullptr;
  jobject target_ = nullptr;
  bool started_ = false;
  std::unique_ptr<AppEventHandler> handler_;
  std::atomic<ApplicationMonitor::Delegate*> delegate_{nullptr};  // read by service threads

  std::mutex monitorsMutex_;
  std::set<ApplicationMonitor*> monitors_;
  bool ended_ = false;
};

}  // namespace Quarvo
