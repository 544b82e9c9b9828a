// A JNIEnv for tests of the helpers: the few functions they use are backed by plain C++ state
// and every call is logged, so each helper's use of JNI can be checked without a Java VM.
#pragma once

#include <jni.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace Quarvo {
namespace jni {
namespace test {

class FakeJni {
 public:
  struct Release {
    jbyteArray array;
    jbyte* elements;
    jint mode;
  };

  FakeJni();
  FakeJni(const FakeJni&) = delete;
  FakeJni& operator=(const FakeJni&) = delete;

  JNIEnv* env() { return &env_; }

  jstring newString(const std::u16string& text);
  jbyteArray newByteArray(const std::vector<jbyte>& bytes);
  // A class FindClass will find; any other name fails as with NoClassDefFoundError.
  void defineClass(const std::string& name) { classNames_.push_back(name); }
  jobject newObject();

  // Failures a VM may report: GetStringRegion raises, GetByteArrayElements runs out of memory.
  bool failStringRegion = false;
  bool failByteElements = false;

  // Every JNI function called, by name, in order.
  std::vector<std::string> calls;
  std::vector<Release> releases;
  std::vector<jobject> deletedLocalRefs;
  // (class name, message) of each ThrowNew.
  std::vector<std::pair<std::string, std::string>> thrown;
  bool exceptionPending = false;

  // The elements GetByteArrayElements handed out last.
  jbyte* lastElements() { return elementCopies_.empty() ? nullptr : elementCopies_.back().data(); }
  std::string classNameOf(jclass type) const;

 private:
  struct Env : JNIEnv {
    FakeJni* fake;
  };
  static FakeJni& of(JNIEnv* env) { return *static_cast<Env*>(env)->fake; }

  static jsize JNICALL getStringLength(JNIEnv* env, jstring text);
  static void JNICALL getStringRegion(JNIEnv* env, jstring text, jsize start, jsize length, jchar* units);
  static jboolean JNICALL exceptionCheck(JNIEnv* env);
  static jbyte* JNICALL getByteArrayElements(JNIEnv* env, jbyteArray array, jboolean* isCopy);
  static void JNICALL releaseByteArrayElements(JNIEnv* env, jbyteArray array, jbyte* elements, jint mode);
  static jclass JNICALL findClass(JNIEnv* env, const char* name);
  static jint JNICALL throwNew(JNIEnv* env, jclass type, const char* message);
  static void JNICALL deleteLocalRef(JNIEnv* env, jobject ref);

  JNINativeInterface_ functions_{};
  Env env_{};
  std::deque<std::u16string> strings_;
  std::deque<std::vector<jbyte>> arrays_;
  std::deque<std::vector<jbyte>> elementCopies_;
  std::deque<std::string> classNames_;
  std::deque<int> objects_;
};

}  // namespace test
}  // namespace jni
}  // namespace Quarvo
