// homebridge.dll's load and unload: the event loop's window class and thread-local slot, and
// ShellKit for the store-application natives, live exactly as long as the library.
#include <jni.h>

#include "StoreApplications.h"
#include "WindowsEventLoop.h"

extern "C" {

JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM*, void*) {
  Quarvo::registerEventLoop();
  Quarvo::loadStoreApplications();
  return JNI_VERSION_1_4;
}

JNIEXPORT void JNICALL JNI_OnUnload(JavaVM*, void*) {
  Quarvo::unloadStoreApplications();
  Quarvo::unregisterEventLoop();
}

}  // extern "C"
