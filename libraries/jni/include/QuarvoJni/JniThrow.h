// Raising a Java exception from a native.
#pragma once

#include <jni.h>

#include "QuarvoJni/JniLocalRef.h"

namespace Quarvo {
namespace jni {

// Throws a new exception of the named class (JNI form, "java/lang/IllegalArgumentException").
// When the class cannot be found, FindClass's own exception stays pending instead.
inline void throwNew(JNIEnv* env, const char* className, const char* message) {
  JniLocalRef<jclass> type(env, env->FindClass(className));
  if (!type) return;
  env->ThrowNew(type.get(), message);
}

}  // namespace jni
}  // namespace Quarvo
