// Native methods of jni.com.quarvo.engine.KivFile: one kiv::URLList behind each handle.
// No native exception ever leaves these functions.
#include <jni.h>

#include "jni_com_quarvo_engine_KivFile.h"

#include <cmath>
#include <cstring>

#include "Handles.h"
#include "JniString.h"
#include "URLList.h"

using kiv::URLList;
using kiv::jni::JniUtfString;
using kiv::jni::objectFromHandle;

namespace {

constexpr double kSecondsFrom1970To2001 = 978307200.0;
constexpr jint kNoCategory = 0xFFFF;

URLList* tryCreate(const char* path, jint fallbackType) {
  try {
    return URLList::create(path, static_cast<uint32_t>(fallbackType));
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

extern "C" {

JNIEXPORT jlong JNICALL Java_jni_com_quarvo_engine_KivFile_create(JNIEnv* env, jclass, jstring path, jint fallbackType) {
  JniUtfString chars(env, path);
  if (chars.get() == nullptr) return 0;
  URLList* list = tryCreate(chars.get(), 0);
  if (list == nullptr) list = tryCreate(chars.get(), fallbackType);
  return kiv::jni::handleOf(list);
}

JNIEXPORT jboolean JNICALL Java_jni_com_quarvo_engine_KivFile_load(JNIEnv*, jclass, jlong handle) {
  return handle != 0 ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT void JNICALL Java_jni_com_quarvo_engine_KivFile_destroy(JNIEnv*, jclass, jlong handle) {
  if (URLList* list = objectFromHandle<URLList>(handle)) list->release();
}

JNIEXPORT jlong JNICALL Java_jni_com_quarvo_engine_KivFile_getDate(JNIEnv*, jclass, jlong handle) {
  URLList* list = objectFromHandle<URLList>(handle);
  if (list == nullptr) return 0;
  double seconds = std::floor(list->date() - kSecondsFrom1970To2001 + 0.5);
  // Dates far outside any real list's are clamped rather than converted undefinedly.
  if (!(seconds > -9.2e18 && seconds < 9.2e18)) return 0;
  return static_cast<jlong>(seconds);
}

JNIEXPORT jint JNICALL Java_jni_com_quarvo_engine_KivFile_getCountOfDomain(JNIEnv*, jclass, jlong handle) {
  URLList* list = objectFromHandle<URLList>(handle);
  return list ? static_cast<jint>(list->domainCount()) : 0;
}

JNIEXPORT jint JNICALL Java_jni_com_quarvo_engine_KivFile_checkURL(JNIEnv* env, jclass, jlong handle, jstring url) {
  if (handle == 0 || url == nullptr) return 0;
  JniUtfString chars(env, url);
  if (chars.get() == nullptr) return 0;
  URLList* list = objectFromHandle<URLList>(handle);
  if (list == nullptr) return kNoCategory;
  kiv::CheckResult r;
  try {
    r = list->check(chars.get(), std::strlen(chars.get()));
  } catch (const std::exception& error) {
    // A damaged list file met during the check: the service hears of it as it hears of any
    // refused check, with the reader's message ("Unexpected end of file"), rather than a
    // silent "no category" that would let a black-listed host through.
    kiv::jni::throwJava(env, "java/lang/IllegalArgumentException", error.what());
    return 0;
  }
  if (kiv::isError(r)) {
    kiv::jni::throwJava(env, "java/lang/IllegalArgumentException",
                        (r & 0x3FFF) == 160 ? "Invalid URL" : "List not loaded");
    return 0;
  }
  return kiv::isMatch(r) ? static_cast<jint>(kiv::categoryOf(r)) : kNoCategory;
}

JNIEXPORT jboolean JNICALL Java_jni_com_quarvo_engine_KivFile_isValid(JNIEnv*, jclass, jlong handle) {
  URLList* list = objectFromHandle<URLList>(handle);
  return list && list->isLoaded() ? JNI_TRUE : JNI_FALSE;
}

}  // extern "C"
