// Native methods of jni.com.quarvo.os.windows.SysKit: the machine identifier and two
// well-known directories. Null whenever Windows cannot answer.
#include <jni.h>
#include <windows.h>
#include <shlobj.h>

#include "jni_com_quarvo_os_windows_SysKit.h"

#include <cwchar>
#include <optional>

#include "JavaBytes.h"
#include "MachineIdentifierSource.h"
#include "WideText.h"

using Quarvo::os::javaUnits;

namespace {

constexpr DWORD kTemporaryDirectoryUnits = 512;

}  // namespace

extern "C" {

JNIEXPORT jbyteArray JNICALL Java_jni_com_quarvo_os_windows_SysKit_getSystemIdentifier(JNIEnv* env, jclass) {
  const std::optional<Quarvo::os::MachineIdentifier> identifier = Quarvo::os::readMachineIdentifier();
  if (!identifier) return nullptr;
  return Quarvo::os::newJavaBytes(env, identifier->data(), static_cast<jsize>(identifier->size()));
}

// As Windows gives it, with its trailing backslash.
JNIEXPORT jstring JNICALL Java_jni_com_quarvo_os_windows_SysKit_getTemporaryDirectory(JNIEnv* env, jclass) {
  wchar_t path[kTemporaryDirectoryUnits];
  const DWORD length = GetTempPathW(kTemporaryDirectoryUnits, path);
  if (length == 0 || length > kTemporaryDirectoryUnits) return nullptr;
  return env->NewString(javaUnits(path), static_cast<jsize>(length));
}

// S_FALSE and E_FAIL both mean the path was not filled in.
JNIEXPORT jstring JNICALL Java_jni_com_quarvo_os_windows_SysKit_getApplicationSupportDirectory(JNIEnv* env, jclass) {
  wchar_t path[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return nullptr;
  return env->NewString(javaUnits(path), static_cast<jsize>(std::wcslen(path)));
}

}  // extern "C"
