#include "JavaCollection.h"

#include "QuarvoJni/JniThrow.h"

namespace Quarvo {

namespace {

// The VM's own exception says less than ours and must not be pending when ours is thrown.
JavaCollection fail(JNIEnv* env, const char* exceptionClass, const char* message) {
  env->ExceptionClear();
  jni::throwNew(env, exceptionClass, message);
  return JavaCollection(env, nullptr, nullptr);
}

}  // namespace

JavaCollection newCollection(JNIEnv* env, const char* className, const char* method, const char* signature) {
  jni::JniLocalRef<jclass> type(env, env->FindClass(className));
  if (!type) return fail(env, "java/lang/ClassNotFoundException", "Class not found");
  jmethodID constructor = env->GetMethodID(type.get(), "<init>", "()V");
  if (constructor == nullptr) return fail(env, "java/lang/NoSuchMethodError", "Constructor not found");
  jobject instance = env->NewObject(type.get(), constructor);
  if (instance == nullptr) return fail(env, "java/lang/InstantiationException", "Create instance failed");
  jmethodID found = env->GetMethodID(type.get(), method, signature);
  if (found == nullptr) {
    env->DeleteLocalRef(instance);
    return fail(env, "java/lang/NoSuchMethodError", "Cannot found method");
  }
  return JavaCollection(env, instance, found);
}

}  // namespace Quarvo
