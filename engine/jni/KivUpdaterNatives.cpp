// Native methods of jni.com.quarvo.engine.KivUpdater: one kiv::update::Updater per handle,
// bound to the list behind a KivFile handle. No native exception ever leaves these functions.
#include <jni.h>

#include "jni_com_quarvo_engine_KivUpdater.h"

#include "Handles.h"
#include "JniString.h"
#include "URLList.h"
#include "update/Updater.h"

using kiv::URLList;
using kiv::jni::JniUtfString;
using kiv::jni::objectFromHandle;
using kiv::update::Updater;

extern "C" {

JNIEXPORT jlong JNICALL Java_jni_com_quarvo_engine_KivUpdater_create(JNIEnv*, jclass, jlong listHandle) {
  URLList* list = objectFromHandle<URLList>(listHandle);
  if (list == nullptr) return 0;
  try {
    return kiv::jni::handleOf(Updater::create(list));
  } catch (...) {
    return 0;
  }
}

JNIEXPORT void JNICALL Java_jni_com_quarvo_engine_KivUpdater_destroy(JNIEnv*, jclass, jlong handle) {
  if (Updater* updater = objectFromHandle<Updater>(handle)) updater->release();
}

JNIEXPORT jboolean JNICALL Java_jni_com_quarvo_engine_KivUpdater_run(JNIEnv* env, jclass, jlong handle, jstring url) {
  if (handle == 0) return JNI_FALSE;
  JniUtfString chars(env, url);
  Updater* updater = objectFromHandle<Updater>(handle);
  if (updater == nullptr) return JNI_FALSE;
  return updater->run(chars.get()) ? JNI_TRUE : JNI_FALSE;
}

JNIEXPORT void JNICALL Java_jni_com_quarvo_engine_KivUpdater_abort(JNIEnv*, jclass, jlong handle) {
  if (Updater* updater = objectFromHandle<Updater>(handle)) updater->abort();
}

}  // extern "C"
