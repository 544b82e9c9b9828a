// A local reference deleted at scope exit unless handed to Java as the native's result.
#pragma once

#include <jni.h>

namespace Quarvo {
namespace jni {

template <class Ref>
class JniLocalRef {
 public:
  JniLocalRef(JNIEnv* env, Ref ref) : env_(env), ref_(ref) {}
  ~JniLocalRef() {
    if (ref_ != nullptr) env_->DeleteLocalRef(ref_);
  }
  JniLocalRef(const JniLocalRef&) = delete;
  JniLocalRef& operator=(const JniLocalRef&) = delete;

  Ref get() const { return ref_; }
  explicit operator bool() const { return ref_ != nullptr; }

  // Gives up ownership, for returning the reference to Java.
  Ref release() {
    Ref ref = ref_;
    ref_ = nullptr;
    return ref;
  }

 private:
  JNIEnv* env_;
  Ref ref_;
};

}  // namespace jni
}  // namespace Quarvo
