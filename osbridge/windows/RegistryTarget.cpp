#include "RegistryTarget.h"

#include "QuarvoJni/JniThrow.h"
#include "WideText.h"

namespace Quarvo {
namespace os {

namespace {

HKEY predefinedKey(jint root) {
  switch (root) {
    case 1: return HKEY_CLASSES_ROOT;
    case 2: return HKEY_CURRENT_CONFIG;
    case 3: return HKEY_CURRENT_USER;
    case 4: return HKEY_LOCAL_MACHINE;
    case 5: return HKEY_USERS;
    default: return nullptr;
  }
}

HKEY checkedRoot(JNIEnv* env, jint root) {
  HKEY key = predefinedKey(root);
  if (key == nullptr) jni::throwNew(env, "java/lang/IllegalArgumentException", "Invalid Root Key!");
  return key;
}

}  // namespace

// Nothing is copied once the call is known to fail.
RegistryTarget::RegistryTarget(JNIEnv* env, jint root, jstring keyPath, jstring valueName)
    : root_(checkedRoot(env, root)),
      keyPath_(env, root_ != nullptr ? keyPath : nullptr),
      valueName_(env, usableText(keyPath_) ? valueName : nullptr),
      usable_(usableText(keyPath_) && (valueName == nullptr || usableText(valueName_))) {}

const wchar_t* RegistryTarget::keyPath() const { return wide(keyPath_.units()); }

const wchar_t* RegistryTarget::valueName() const { return wide(valueName_.units()); }

}  // namespace os
}  // namespace Quarvo
