// A new Java collection and the one method natives fill it through (HashSet.add, HashMap.put).
// Failures throw into the caller's VM, replacing whatever the VM raised, so Java sees one
// exception naming the failed step.
#pragma once

#include <jni.h>

#include "QuarvoJni/JniLocalRef.h"

namespace Quarvo {

class JavaCollection {
 public:
  JavaCollection(JNIEnv* env, jobject instance, jmethodID method) : instance_(env, instance), method_(method) {}

  // The instance exists and the method was found.
  bool ok() const { return instance_ && method_ != nullptr; }
  jobject instance() const { return instance_.get(); }
  jmethodID method() const { return method_; }
  // Hands the instance to the caller, as a native's result.
  jobject release() { return instance_.release(); }

 private:
  jni::JniLocalRef<jobject> instance_;
  jmethodID method_;
};

// Finds `className` (JNI form, "java/util/HashMap"), makes an instance with its no-argument
// constructor and looks up `method`. Stops at the first failed step with one of:
// ClassNotFoundException "Class not found", NoSuchMethodError "Constructor not found",
// InstantiationException "Create instance failed", NoSuchMethodError "Cannot found method".
JavaCollection newCollection(JNIEnv* env, const char* className, const char* method, const char* signature);

}  // namespace Quarvo
