// Scoped access to a Java string's modified-UTF-8 characters, released on every path out.
#pragma once

#include <jni.h>

namespace kiv {
namespace jni {

class JniUtfString {
 public:
  JniUtfString(JNIEnv* env, jstring text) : env_(env), text_(text) {
    if (text_) chars_ = env_->GetStringUTFChars(text_, nullptr);
  }
  ~JniUtfString() {
    if (chars_) env_->ReleaseStringUTFChars(text_, chars_);
  }
  JniUtfString(const JniUtfString&) = delete;
  JniUtfString& operator=(const JniUtfString&) = delete;

  // Null when the string was null or its characters could not be had.
  const char* get() const { return chars_; }

 private:
  JNIEnv* env_;
  jstring text_;
  const char* chars_ = nullptr;
};

// Throws a new Java exception of the named class, when the class can be found.
inline void throwJava(JNIEnv* env, const char* className, const char* message) {
  jclass type = env->FindClass(className);
  if (type == nullptr) return;  // FindClass left its own exception pending
  env->ThrowNew(type, message);
  env->DeleteLocalRef(type);
}

}  // namespace jni
}  // namespace kiv
