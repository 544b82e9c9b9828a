// Native method of jni.com.quarvo.os.SysKit: chmod. The path goes to the runtime as UTF-16
// (_wchmod) so names outside the process's code page reach the right file. The runtime honours
// only the owner-write bit of the mode; the outcome is not reported.
#include <jni.h>

#include "jni_com_quarvo_os_SysKit.h"

#include <io.h>

#include "QuarvoJni/JniText.h"
#include "WideText.h"

extern "C" JNIEXPORT void JNICALL Java_jni_com_quarvo_os_SysKit_chmod(JNIEnv* env, jclass, jstring path, jint mode) {
  Quarvo::jni::JniText text(env, path);
  // A path holding U+0000 would change the file named by its first part.
  if (!text.copied() || text.holdsNul()) return;
  _wchmod(Quarvo::os::wide(text.units()), static_cast<int>(mode));
}
