// Native methods of jni.com.quarvo.os.windows.WindowsUserProvider.
#include <windows.h>
#include <userenv.h>

#include <jni.h>

#include <vector>

#include "jni_com_quarvo_os_windows_WindowsUserProvider.h"

#include "AccountFilter.h"
#include "UserAccountSource.h"
#include "UserNameMap.h"

namespace {

bool hiddenAccount(const char16_t* login, std::size_t length) {
  return Quarvo::isHiddenAccount(reinterpret_cast<const wchar_t*>(login), length);
}

}  // namespace

extern "C" {

JNIEXPORT jobject JNICALL Java_jni_com_quarvo_os_windows_WindowsUserProvider_getUserNames(JNIEnv* env, jclass) {
  try {
    std::vector<Quarvo::UserAccount> accounts;
    if (!Quarvo::readUserAccounts(&accounts)) return nullptr;
    return Quarvo::newUserNameMap(env, accounts, hiddenAccount);
  } catch (...) {  // out of memory: nothing for Java but null
    return nullptr;
  }
}

JNIEXPORT jstring JNICALL Java_jni_com_quarvo_os_windows_WindowsUserProvider_getProfilesDirectory(JNIEnv* env,
                                                                                                 jclass) {
  wchar_t directory[2048];
  DWORD length = 2048;
  if (!GetProfilesDirectoryW(directory, &length) || length == 0 || length > 2048) return nullptr;
  if (directory[length - 1] == L'\0') --length;
  return env->NewString(reinterpret_cast<const jchar*>(directory), static_cast<jsize>(length));
}

}  // extern "C"
