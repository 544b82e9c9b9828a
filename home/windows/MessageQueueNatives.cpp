// Native methods of jni.com.quarvo.os.windows.WindowsMessageQueue. Handles are queue and
// monitor addresses carried as Java longs.
#include <jni.h>

#include "jni_com_quarvo_os_windows_WindowsMessageQueue.h"

#include "ApplicationTermination.h"
#include "QuarvoJni/JniText.h"
#include "WindowsEventLoop.h"

namespace {

Quarvo::OSMessageQueue* queueOf(jlong handle) { return reinterpret_cast<Quarvo::OSMessageQueue*>(handle); }

const wchar_t* wide(const Quarvo::jni::JniText& text) { return reinterpret_cast<const wchar_t*>(text.units()); }

}  // namespace

extern "C" {

JNIEXPORT jlong JNICALL Java_jni_com_quarvo_os_windows_WindowsMessageQueue_create(JNIEnv* env, jobject self) {
  Quarvo::OSMessageQueue* queue = Quarvo::newWindowsEventLoop();
  if (queue == nullptr) return 0;
  if (!queue->start(env, self)) {
    queue->release();
    return 0;
  }
  return reinterpret_cast<jlong>(queue);
}

JNIEXPORT void JNICALL Java_jni_com_quarvo_os_windows_WindowsMessageQueue_destroy(JNIEnv*, jclass, jlong handle) {
  Quarvo::OSMessageQueue* queue = queueOf(handle);
  if (queue == nullptr) return;
  queue->quit();
  queue->release();
}

JNIEXPORT jlong JNICALL Java_jni_com_quarvo_os_windows_WindowsMessageQueue_startApplicationMonitor(JNIEnv*, jclass,
                                                                                                   jlong handle) {
  Quarvo::OSMessageQueue* queue = queueOf(handle);
  if (queue == nullptr) return 0;
  return reinterpret_cast<jlong>(queue->startApplicationMonitor());
}

JNIEXPORT void JNICALL Java_jni_com_quarvo_os_windows_WindowsMessageQueue_stopApplicationMonitor(JNIEnv*, jclass,
                                                                                                 jlong handle,
                                                                                                 jlong monitor) {
  Quarvo::OSMessageQueue* queue = queueOf(handle);
  if (queue == nullptr || monitor == 0) return;
  queue->stopApplicationMonitor(reinterpret_cast<Quarvo::ApplicationMonitor*>(monitor));
}

JNIEXPORT jint JNICALL Java_jni_com_quarvo_os_windows_WindowsMessageQueue_terminateApplication(
    JNIEnv* env, jclass, jlong, jint, jstring application, jstring user) {
  if (env == nullptr || application == nullptr) return 0;
  Quarvo::jni::JniText target(env, application);
  Quarvo::jni::JniText owner(env, user);
  // A U+0000 would cut the name short and match another program.
  if (!target.copied() || target.holdsNul()) return 0;
  if (!owner.isNull() && (!owner.copied() || owner.holdsNul())) return 0;
  Quarvo::terminateApplication(wide(target), owner.isNull() ? nullptr : wide(owner));
  return 0;
}

}  // extern "C"
