// homebridge.dll's load and unload: the event loop's window class and thread-local slot live
// exactly as long as the library.
#include <jni.h>

#include "WindowsEventLoop.h"

extern "C" {

JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM*, void*) {
  Quarvo::registerEventLoop();
  return JNI_VERSION_1_4;
}

JNIEXPORT void JNICALL JNI_OnUnload(JavaVM*, void*) { Quarvo::unregisterEventLoop(); }

}  // extern "C"
