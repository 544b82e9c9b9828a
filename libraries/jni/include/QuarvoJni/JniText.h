// A Java string's UTF-16 units copied to the native heap with GetStringLength/GetStringRegion,
// NUL-terminated for OS calls. Unlike GetStringUTFChars it keeps supplementary characters and
// U+0000 as Java holds them; unlike GetStringChars it pins nothing and needs no release.
#pragma once

#include <jni.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>

namespace Quarvo {
namespace jni {

class JniText {
 public:
  JniText(JNIEnv* env, jstring text) : isNull_(text == nullptr) {
    if (text != nullptr) copy(env, text);
  }

  // The Java reference was null.
  bool isNull() const { return isNull_; }
  // The units are here: false for a null reference and when the copy failed.
  bool copied() const { return units_ != nullptr; }
  // NUL-terminated; null unless copied().
  const jchar* units() const { return units_.get(); }
  jsize length() const { return length_; }
  // An OS call reading up to the terminator would see only the part before a U+0000.
  bool holdsNul() const { return holdsNul_; }

 private:
  void copy(JNIEnv* env, jstring text) {
    const jsize length = env->GetStringLength(text);
    const size_t count = static_cast<size_t>(length);
    std::unique_ptr<jchar[]> units(new (std::nothrow) jchar[count + 1]);
    if (!units) return;
    env->GetStringRegion(text, 0, length, units.get());
    if (env->ExceptionCheck()) return;
    units[count] = 0;
    holdsNul_ = std::find(units.get(), units.get() + count, jchar{0}) != units.get() + count;
    length_ = length;
    units_ = std::move(units);
  }

  bool isNull_;
  bool holdsNul_ = false;
  jsize length_ = 0;
  std::unique_ptr<jchar[]> units_;
};

}  // namespace jni
}  // namespace Quarvo
