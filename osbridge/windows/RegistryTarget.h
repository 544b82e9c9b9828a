// The root key, key path and value name of one RegistryUtils call, checked and copied from
// Java. Constructing it raises IllegalArgumentException for a root outside 1 to 5.
#pragma once

#include <jni.h>
#include <windows.h>

#include "QuarvoJni/JniText.h"

namespace Quarvo {
namespace os {

class RegistryTarget {
 public:
  // valueName null: the key's default value.
  RegistryTarget(JNIEnv* env, jint root, jstring keyPath, jstring valueName);

  // False after an invalid root, for a null key path, when a copy failed and when the key
  // path or value name holds U+0000: Windows would read only the part before it and so act
  // on another key or value.
  bool usable() const { return usable_; }

  HKEY root() const { return root_; }
  const wchar_t* keyPath() const;
  jsize keyPathLength() const { return keyPath_.length(); }
  const wchar_t* valueName() const;

 private:
  static bool usableText(const jni::JniText& text) { return text.copied() && !text.holdsNul(); }

  HKEY root_;
  jni::JniText keyPath_;
  jni::JniText valueName_;
  bool usable_;
};

}  // namespace os
}  // namespace Quarvo
