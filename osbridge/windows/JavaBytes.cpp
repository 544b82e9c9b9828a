#include "JavaBytes.h"

#include "QuarvoJni/JniLocalRef.h"

namespace Quarvo {
namespace os {

jbyteArray newJavaBytes(JNIEnv* env, const void* bytes, jsize size) {
  jni::JniLocalRef<jbyteArray> array(env, env->NewByteArray(size));
  if (!array) return nullptr;
  env->SetByteArrayRegion(array.get(), 0, size, static_cast<const jbyte*>(bytes));
  if (env->ExceptionCheck()) return nullptr;
  return array.release();
}

}  // namespace os
}  // namespace Quarvo
