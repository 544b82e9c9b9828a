// Native methods of jni.com.quarvo.os.windows.RegistryUtils. Each checks and copies its
// arguments (RegistryTarget), makes its registry calls and answers; failures are reported only
// through the result, and only an invalid root raises an exception.
#include <jni.h>
#include <windows.h>

#include "jni_com_quarvo_os_windows_RegistryUtils.h"

#include <cstdint>
#include <string_view>

#include "JavaBytes.h"
#include "QuarvoJni/JniByteElements.h"
#include "QuarvoJni/JniText.h"
#include "RegistryAccess.h"
#include "RegistryTarget.h"
#include "RegistryText.h"
#include "RegistryTree.h"

using Quarvo::jni::JniByteElements;
using Quarvo::jni::JniText;
using Quarvo::os::RegistryTarget;
using Quarvo::os::RegistryValue;

namespace {

constexpr jint kNoInteger = -1;

jboolean toJava(bool value) { return value ? JNI_TRUE : JNI_FALSE; }

bool isText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

jstring newJavaText(JNIEnv* env, const RegistryValue& value) {
  jchar units[Quarvo::os::kRegistryReadBytes / 2];
  const size_t length = Quarvo::os::registryText(value.bytes, value.size, units, sizeof units / sizeof units[0]);
  return env->NewString(units, static_cast<jsize>(length));
}

}  // namespace

extern "C" {

JNIEXPORT jbyteArray JNICALL Java_jni_com_quarvo_os_windows_RegistryUtils_getValue(JNIEnv* env, jclass, jint root,
                                                                                  jstring keyPath, jstring valueName) {
  RegistryTarget target(env, root, keyPath, valueName);
  if (!target.usable()) return nullptr;
  RegistryValue value;
  if (!Quarvo::os::readBinaryValue(target.root(), target.keyPath(), target.valueName(), &value)) return nullptr;
  return Quarvo::os::newJavaBytes(env, value.bytes, static_cast<jsize>(value.size));
}

JNIEXPORT jboolean JNICALL Java_jni_com_quarvo_os_windows_RegistryUtils_setValue(JNIEnv* env, jclass, jint root,
                                                                                jstring keyPath, jstring valueName,
                                                                                jbyteArray data) {
  RegistryTarget target(env, root, keyPath, valueName);
  if (!target.usable() || data == nullptr) return JNI_FALSE;
  const jsize size = env->GetArrayLength(data);
  if (size == 0) return JNI_FALSE;
  JniByteElements bytes(env, data, JNI_ABORT);
  if (bytes.get() == nullptr) return JNI_FALSE;
  return toJava(Quarvo::os::writeValue(target.root(), target.keyPath(), target.valueName(), REG_BINARY, bytes.get(),
                                       static_cast<DWORD>(size)));
}

JNIEXPORT jstring JNICALL Java_jni_com_quarvo_os_windows_RegistryUtils_getStringValue(JNIEnv* env, jclass, jint root,
                                                                                     jstring keyPath,
                                                                                     jstring valueName) {
  RegistryTarget target(env, root, keyPath, valueName);
  if (!target.usable()) return nullptr;
  RegistryValue value;
  if (!Quarvo::os::readValue(target.root(), target.keyPath(), target.valueName(), &value)) return nullptr;
  if (!isText(value.type) || !value.fits()) return nullptr;
  return newJavaText(env, value);
}

// The data is the text's units without a terminator; readers stop at the end of the data.
JNIEXPORT jboolean JNICALL Java_jni_com_quarvo_os_windows_RegistryUtils_setStringValue(JNIEnv* env, jclass, jint root,
                                                                                      jstring keyPath,
                                                                                      jstring valueName,
                                                                                      jstring value) {
  RegistryTarget target(env, root, keyPath, valueName);
  if (!target.usable() || value == nullptr) return JNI_FALSE;
  JniText text(env, value);
  if (!text.copied()) return JNI_FALSE;
  const DWORD size = static_cast<DWORD>(text.length()) * sizeof(jchar);
  return toJava(
      Quarvo::os::writeValue(target.root(), target.keyPath(), target.valueName(), REG_SZ, text.units(), size));
}

// Reads at most four bytes into a zeroed integer whatever the type, so a shorter value fills
// the low bytes only.
JNIEXPORT jint JNICALL Java_jni_com_quarvo_os_windows_RegistryUtils_getIntegerValue(JNIEnv* env, jclass, jint root,
                                                                                   jstring keyPath,
                                                                                   jstring valueName) {
  RegistryTarget target(env, root, keyPath, valueName);
  if (!target.usable()) return kNoInteger;
  int32_t number = 0;
  DWORD size = sizeof number;
  if (!Quarvo::os::readValue(target.root(), target.keyPath(), target.valueName(), nullptr,
                             reinterpret_cast<BYTE*>(&number), &size)) {
    return kNoInteger;
  }
  return static_cast<jint>(number);
}

JNIEXPORT jboolean JNICALL Java_jni_com_quarvo_os_windows_RegistryUtils_setIntegerValue(JNIEnv* env, jclass,
                                                                                       jint root, jstring keyPath,
                                                                                       jstring valueName,
                                                                                       jint value) {
  RegistryTarget target(env, root, keyPath, valueName);
  if (!target.usable()) return JNI_FALSE;
  const DWORD number = static_cast<DWORD>(value);
  return toJava(Quarvo::os::writeValue(target.root(), target.keyPath(), target.valueName(), REG_DWORD, &number,
                                       sizeof number));
}

JNIEXPORT jboolean JNICALL Java_jni_com_quarvo_os_windows_RegistryUtils_deleteValue(JNIEnv* env, jclass, jint root,
                                                                                   jstring keyPath,
                                                                                   jstring valueName) {
  RegistryTarget target(env, root, keyPath, valueName);
  if (!target.usable()) return JNI_FALSE;
  return toJava(Quarvo::os::deleteValue(target.root(), target.keyPath(), target.valueName()));
}

// An empty path names the root key itself, which cannot be deleted: refusing it up front
// keeps the walk from emptying the whole root before failing.
JNIEXPORT jboolean JNICALL Java_jni_com_quarvo_os_windows_RegistryUtils_deleteNode(JNIEnv* env, jclass, jint root,
                                                                                  jstring keyPath) {
  RegistryTarget target(env, root, keyPath, nullptr);
  if (!target.usable() || target.keyPathLength() == 0) return JNI_FALSE;
  const std::wstring_view key(target.keyPath(), static_cast<size_t>(target.keyPathLength()));
  return toJava(Quarvo::os::deleteTree(target.root(), key));
}

}  // extern "C"
