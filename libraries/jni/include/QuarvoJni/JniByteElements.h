// Scoped GetByteArrayElements: the elements are released on every path out, with the release
// mode chosen at construction (JNI_ABORT when nothing needs copying back).
#pragma once

#include <jni.h>

namespace Quarvo {
namespace jni {

class JniByteElements {
 public:
  JniByteElements(JNIEnv* env, jbyteArray array, jint releaseMode)
      : env_(env), array_(array), releaseMode_(releaseMode) {
    if (array_ != nullptr) elements_ = env_->GetByteArrayElements(array_, nullptr);
  }
  ~JniByteElements() {
    if (elements_ != nullptr) env_->ReleaseByteArrayElements(array_, elements_, releaseMode_);
  }
  JniByteElements(const JniByteElements&) = delete;
  JniByteElements& operator=(const JniByteElements&) = delete;

  // Null for a null array and when the elements could not be had (an exception is pending).
  jbyte* get() const { return elements_; }

 private:
  JNIEnv* env_;
  jbyteArray array_;
  jint releaseMode_;
  jbyte* elements_ = nullptr;
};

}  // namespace jni
}  // namespace Quarvo
