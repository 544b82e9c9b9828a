#include "OSMessageQueue.h"

#include <new>
#include <vector>

namespace Quarvo {

namespace {

const jmethodID kMissing = reinterpret_cast<jmethodID>(~std::uintptr_t{0});

std::size_t lengthOf(const char16_t* text) {
  std::size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

}  // namespace

OSMessageQueue::~OSMessageQueue() = default;

void OSMessageQueue::release() {
  if (--references_ == 0) delete this;
}

bool OSMessageQueue::start(JNIEnv* env, jobject object) {
  if (env == nullptr || object == nullptr) return false;
  if (env->GetJavaVM(&vm_) != JNI_OK || vm_ == nullptr) return false;
  creatorObject_ = env->NewGlobalRef(object);
  if (creatorObject_ == nullptr) {
    env->ExceptionClear();
    return false;
  }
  retain();  // the thread's reference, dropped when it ends
  if (!startThread()) {
    release();
    env->DeleteGlobalRef(creatorObject_);
    creatorObject_ = nullptr;
    return false;
  }
  closeThread();
  waitReady();
  env->DeleteGlobalRef(creatorObject_);
  creatorObject_ = nullptr;
  return started_;
}

bool OSMessageQueue::attach(JNIEnv** env, bool* attachedHere) {
  *attachedHere = false;
  jint status = vm_->GetEnv(reinterpret_cast<void**>(env), JNI_VERSION_1_4);
  if (status == JNI_OK) return *env != nullptr;
  if (status != JNI_EDETACHED) return false;
  if (vm_->AttachCurrentThread(reinterpret_cast<void**>(env), nullptr) != JNI_OK || *env == nullptr) return false;
  *attachedHere = true;
  return true;
}

void OSMessageQueue::run() {
  JNIEnv* env = nullptr;
  bool attachedHere = false;
  if (attach(&env, &attachedHere)) {
    target_ = env->NewGlobalRef(creatorObject_);
    if (target_ == nullptr) env->ExceptionClear();
  }
  if (target_ != nullptr) {
    env_ = env;
    handler_.reset(new (std::nothrow) AppEventHandler(env, target_));
    started_ = handler_ != nullptr;
    delegate_ = handler_.get();
  }
  if (!started_ && target_ != nullptr) {
    env->DeleteGlobalRef(target_);
    target_ = nullptr;
  }
  signalReady();
  if (started_) {
    runLoop();
    stopRemainingMonitors();
    delegate_ = nullptr;
    handler_.reset();
    env->DeleteGlobalRef(target_);
    target_ = nullptr;
  } else {
    stopRemainingMonitors();
  }
  if (attachedHere) vm_->DetachCurrentThread();
}

void OSMessageQueue::reportSessionUser(const char16_t* user) {
  if (env_ == nullptr || target_ == nullptr) return;
  JNIEnv* env = env_;
  if (env->PushLocalFrame(4) != JNI_OK) {
    env->ExceptionClear();
    return;
  }
  if (sessionDidChange_ == nullptr) {
    sessionDidChange_ = kMissing;
    jclass type = env->GetObjectClass(target_);
    jmethodID found = type == nullptr ? nullptr : env->GetMethodID(type, "sessionDidChange", "(Ljava/lang/String;)V");
    if (!env->ExceptionCheck() && found != nullptr) sessionDidChange_ = found;
    env->ExceptionClear();
  }
  jstring name = nullptr;
  if (user != nullptr) {
    name = env->NewString(reinterpret_cast<const jchar*>(user), static_cast<jsize>(lengthOf(user)));
  }
  if (sessionDidChange_ != kMissing && !env->ExceptionCheck() && (user == nullptr || name != nullptr)) {
    env->CallVoidMethod(target_, sessionDidChange_, name);
  }
  env->ExceptionClear();
  env->PopLocalFrame(nullptr);
}

bool OSMessageQueue::adopt(ApplicationMonitor* monitor) {
  std::lock_guard<std::mutex> lock(monitorsMutex_);
  if (ended_) return false;
  monitors_.insert(monitor);
  return true;
}

bool OSMessageQueue::isAdopted(ApplicationMonitor* monitor) {
  std::lock_guard<std::mutex> lock(monitorsMutex_);
  return monitors_.count(monitor) != 0;
}

bool OSMessageQueue::forget(ApplicationMonitor* monitor) {
  std::lock_guard<std::mutex> lock(monitorsMutex_);
  return monitors_.erase(monitor) != 0;
}

void OSMessageQueue::stopRemainingMonitors() {
  std::set<ApplicationMonitor*> remaining;
  {
    std::lock_guard<std::mutex> lock(monitorsMutex_);
    ended_ = true;
    remaining.swap(monitors_);
  }
  for (ApplicationMonitor* monitor : remaining) {
    monitor->stop();
    delete monitor;
  }
}

}  // namespace Quarvo
