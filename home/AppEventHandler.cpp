#include "AppEventHandler.h"

#include <cstring>

namespace {

// Marks a callback the Java class does not have, so it is looked up only once.
const jmethodID kMissing = reinterpret_cast<jmethodID>(~std::uintptr_t{0});

std::size_t lengthOf(const char16_t* text) {
  std::size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

// One local frame per callback: every reference made for it goes when it ends.
class LocalFrame {
 public:
  explicit LocalFrame(JNIEnv* env) : env_(env) {
    pushed_ = env_->PushLocalFrame(8) == JNI_OK;
    if (!pushed_) env_->ExceptionClear();
  }
  ~LocalFrame() {
    if (pushed_) env_->PopLocalFrame(nullptr);
  }
  LocalFrame(const LocalFrame&) = delete;
  LocalFrame& operator=(const LocalFrame&) = delete;
  bool pushed() const { return pushed_; }

 private:
  JNIEnv* env_;
  bool pushed_;
};

// True when Java left an exception; it is cleared, as nobody above us could handle it.
bool cleared(JNIEnv* env) {
  if (!env->ExceptionCheck()) return false;
  env->ExceptionClear();
  return true;
}

}  // namespace

jmethodID AppEventHandler::method(jmethodID& slot, const char* name, const char* signature) {
  if (slot == nullptr) {
    slot = kMissing;
    jclass type = env_->GetObjectClass(target_);
    jmethodID found = type == nullptr ? nullptr : env_->GetMethodID(type, name, signature);
    if (!cleared(env_) && found != nullptr) slot = found;
  }
  return slot == kMissing ? nullptr : slot;
}

bool AppEventHandler::javaString(const char16_t* text, jstring* out) {
  *out = nullptr;
  if (text == nullptr) return true;
  static_assert(sizeof(char16_t) == sizeof(jchar), "UTF-16 units");
  *out = env_->NewString(reinterpret_cast<const jchar*>(text), static_cast<jsize>(lengthOf(text)));
  return !cleared(env_) && *out != nullptr;
}

bool AppEventHandler::shouldStartApplication(std::uint32_t processId, const char16_t* name, const char16_t* user) {
  LocalFrame frame(env_);
  if (!frame.pushed()) return true;
  jmethodID callback = method(shouldStart_, "shouldStartApplication", "(JLjava/lang/String;Ljava/lang/String;)Z");
  jstring javaName = nullptr;
  jstring javaUser = nullptr;
  if (callback == nullptr || !javaString(name, &javaName) || !javaString(user, &javaUser)) return true;
  jboolean allowed = env_->CallBooleanMethod(target_, callback, static_cast<jlong>(processId), javaName, javaUser);
  if (cleared(env_)) return true;
  return allowed != JNI_FALSE;
}

void AppEventHandler::didStartApplication(std::uint32_t processId, const char16_t* name, const char16_t* user) {
  LocalFrame frame(env_);
  if (!frame.pushed()) return;
  jmethodID callback = method(didStart_, "didStartApplication", "(JLjava/lang/String;Ljava/lang/String;)V");
  jstring javaName = nullptr;
  jstring javaUser = nullptr;
  if (callback == nullptr || !javaString(name, &javaName) || !javaString(user, &javaUser)) return;
  env_->CallVoidMethod(target_, callback, static_cast<jlong>(processId), javaName, javaUser);
  cleared(env_);
}

void AppEventHandler::didStopApplication(std::uint32_t processId) {
  LocalFrame frame(env_);
  if (!frame.pushed()) return;
  jmethodID callback = method(didStop_, "didStopApplication", "(J)V");
  if (callback == nullptr) return;
  env_->CallVoidMethod(target_, callback, static_cast<jlong>(processId));
  cleared(env_);
}
