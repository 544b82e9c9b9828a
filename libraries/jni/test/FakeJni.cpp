#include "FakeJni.h"

#include <algorithm>

namespace Quarvo {
namespace jni {
namespace test {

FakeJni::FakeJni() {
  functions_.GetStringLength = &getStringLength;
  functions_.GetStringRegion = &getStringRegion;
  functions_.ExceptionCheck = &exceptionCheck;
  functions_.GetByteArrayElements = &getByteArrayElements;
  functions_.ReleaseByteArrayElements = &releaseByteArrayElements;
  functions_.FindClass = &findClass;
  functions_.ThrowNew = &throwNew;
  functions_.DeleteLocalRef = &deleteLocalRef;
  env_.functions = &functions_;
  env_.fake = this;
}

jstring FakeJni::newString(const std::u16string& text) {
  strings_.push_back(text);
  return reinterpret_cast<jstring>(&strings_.back());
}

jbyteArray FakeJni::newByteArray(const std::vector<jbyte>& bytes) {
  arrays_.push_back(bytes);
  return reinterpret_cast<jbyteArray>(&arrays_.back());
}

jobject FakeJni::newObject() {
  objects_.push_back(0);
  return reinterpret_cast<jobject>(&objects_.back());
}

std::string FakeJni::classNameOf(jclass type) const { return *reinterpret_cast<const std::string*>(type); }

jsize JNICALL FakeJni::getStringLength(JNIEnv* env, jstring text) {
  of(env).calls.push_back("GetStringLength");
  return static_cast<jsize>(reinterpret_cast<std::u16string*>(text)->size());
}

void JNICALL FakeJni::getStringRegion(JNIEnv* env, jstring text, jsize start, jsize length, jchar* units) {
  FakeJni& fake = of(env);
  fake.calls.push_back("GetStringRegion");
  const std::u16string& chars = *reinterpret_cast<std::u16string*>(text);
  const bool outside = start < 0 || length < 0 || static_cast<size_t>(start) + static_cast<size_t>(length) > chars.size();
  if (fake.failStringRegion || outside) {
    fake.exceptionPending = true;
    return;
  }
  std::copy_n(chars.begin() + start, length, units);
}

jboolean JNICALL FakeJni::exceptionCheck(JNIEnv* env) {
  of(env).calls.push_back("ExceptionCheck");
  return of(env).exceptionPending ? JNI_TRUE : JNI_FALSE;
}

jbyte* JNICALL FakeJni::getByteArrayElements(JNIEnv* env, jbyteArray array, jboolean* isCopy) {
  FakeJni& fake = of(env);
  fake.calls.push_back("GetByteArrayElements");
  if (fake.failByteElements) {
    fake.exceptionPending = true;
    return nullptr;
  }
  if (isCopy != nullptr) *isCopy = JNI_TRUE;
  fake.elementCopies_.push_back(*reinterpret_cast<std::vector<jbyte>*>(array));
  return fake.elementCopies_.back().data();
}

void JNICALL FakeJni::releaseByteArrayElements(JNIEnv* env, jbyteArray array, jbyte* elements, jint mode) {
  of(env).calls.push_back("ReleaseByteArrayElements");
  of(env).releases.push_back({array, elements, mode});
}

jclass JNICALL FakeJni::findClass(JNIEnv* env, const char* name) {
  FakeJni& fake = of(env);
  fake.calls.push_back("FindClass");
  auto known = std::find(fake.classNames_.begin(), fake.classNames_.end(), name);
  if (known == fake.classNames_.end()) {
    fake.exceptionPending = true;
    return nullptr;
  }
  return reinterpret_cast<jclass>(&*known);
}

jint JNICALL FakeJni::throwNew(JNIEnv* env, jclass type, const char* message) {
  FakeJni& fake = of(env);
  fake.calls.push_back("ThrowNew");
  fake.thrown.emplace_back(fake.classNameOf(type), message);
  fake.exceptionPending = true;
  return 0;
}

void JNICALL FakeJni::deleteLocalRef(JNIEnv* env, jobject ref) {
  of(env).calls.push_back("DeleteLocalRef");
  of(env).deletedLocalRefs.push_back(ref);
}

}  // namespace test
}  // namespace jni
}  // namespace Quarvo
