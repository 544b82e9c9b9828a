// String functions: UTF-16 and modified UTF-8 views, each copy recorded until released.
#include <cstring>

#include "State.h"
#include "jnihost/ModifiedUtf8.h"

namespace jnihost {

namespace {

// The String behind `ref`; misuse (ok = false) when it is null or not a String.
Object* stringOf(Entry& e, jstring ref) {
  Object* o = e.object(ref);
  if (!e.ok) return nullptr;
  if (o == nullptr || o->kind != Kind::String) {
    e.s.misuse(std::string(e.function) + (o == nullptr ? " given a null string" : " given a non-string"));
    e.ok = false;
    return nullptr;
  }
  return o;
}

jstring newString(Entry& e, std::u16string text) {
  if (e.s.allocationFails()) {
    e.outOfMemory();
    return nullptr;
  }
  Object* o = e.s.allocate(Kind::String, e.s.findClass("java/lang/String"));
  o->text = std::move(text);
  return static_cast<jstring>(e.local(o));
}

bool outOfBounds(jsize start, jsize len, std::size_t size) {
  return start < 0 || len < 0 || static_cast<std::size_t>(start) + static_cast<std::size_t>(len) > size;
}

void release(Entry& e, jstring ref, const void* copy, CopyKind kind) {
  Object* o = stringOf(e, ref);
  if (!e.ok) return;
  auto it = e.s.copies.find(copy);
  if (it == e.s.copies.end() || it->second.kind != kind || it->second.source != o) {
    e.s.misuse(std::string(e.function) + " given characters that were not got from this string");
    return;
  }
  e.s.copies.erase(it);
  if (kind == CopyKind::StringUtfChars) {
    delete[] static_cast<const char*>(copy);
  } else {
    delete[] static_cast<const jchar*>(copy);
  }
}

const jchar* charsCopy(Entry& e, jstring ref, jboolean* isCopy, bool allocates) {
  Object* o = stringOf(e, ref);
  if (!e.ok) return nullptr;
  if (allocates && e.s.allocationFails()) {
    e.outOfMemory();
    return nullptr;
  }
  auto* copy = new jchar[o->text.size() + 1];
  std::memcpy(copy, o->text.data(), o->text.size() * sizeof(jchar));
  copy[o->text.size()] = 0;
  e.s.copies[copy] = Copy{CopyKind::StringChars, o};
  if (isCopy != nullptr) *isCopy = JNI_TRUE;
  return copy;
}

jstring JNICALL NewString(JNIEnv* env, const jchar* chars, jsize len) {
  Entry e(env, "NewString");
  if (!e.ok) return nullptr;
  if (len < 0 || (chars == nullptr && len > 0)) {
    e.s.misuse("NewString given a negative length or null characters");
    return nullptr;
  }
  std::u16string text(len, u'\0');
  if (len > 0) std::memcpy(&text[0], chars, static_cast<std::size_t>(len) * sizeof(jchar));
  return newString(e, std::move(text));
}

jsize JNICALL GetStringLength(JNIEnv* env, jstring str) {
  Entry e(env, "GetStringLength");
  Object* o = e.ok ? stringOf(e, str) : nullptr;
  return o == nullptr ? 0 : static_cast<jsize>(o->text.size());
}

const jchar* JNICALL GetStringChars(JNIEnv* env, jstring str, jboolean* isCopy) {
  Entry e(env, "GetStringChars");
  return e.ok ? charsCopy(e, str, isCopy, true) : nullptr;
}

void JNICALL ReleaseStringChars(JNIEnv* env, jstring str, const jchar* chars) {
  Entry e(env, "ReleaseStringChars", true);
  if (e.ok) release(e, str, chars, CopyKind::StringChars);
}

const jchar* JNICALL GetStringCritical(JNIEnv* env, jstring str, jboolean* isCopy) {
  Entry e(env, "GetStringCritical");
  return e.ok ? charsCopy(e, str, isCopy, false) : nullptr;
}

void JNICALL ReleaseStringCritical(JNIEnv* env, jstring str, const jchar* chars) {
  Entry e(env, "ReleaseStringCritical", true);
  if (e.ok) release(e, str, chars, CopyKind::StringChars);
}

jstring JNICALL NewStringUTF(JNIEnv* env, const char* bytes) {
  Entry e(env, "NewStringUTF");
  if (!e.ok || bytes == nullptr) return nullptr;
  return newString(e, fromModifiedUtf8(bytes));
}

jsize JNICALL GetStringUTFLength(JNIEnv* env, jstring str) {
  Entry e(env, "GetStringUTFLength");
  Object* o = e.ok ? stringOf(e, str) : nullptr;
  return o == nullptr ? 0 : static_cast<jsize>(toModifiedUtf8(o->text).size());
}

const char* JNICALL GetStringUTFChars(JNIEnv* env, jstring str, jboolean* isCopy) {
  Entry e(env, "GetStringUTFChars");
  Object* o = e.ok ? stringOf(e, str) : nullptr;
  if (o == nullptr) return nullptr;
  if (e.s.allocationFails()) {
    e.outOfMemory();
    return nullptr;
  }
  std::string bytes = toModifiedUtf8(o->text);
  auto* copy = new char[bytes.size() + 1];
  std::memcpy(copy, bytes.c_str(), bytes.size() + 1);
  e.s.copies[copy] = Copy{CopyKind::StringUtfChars, o};
  if (isCopy != nullptr) *isCopy = JNI_TRUE;
  return copy;
}

void JNICALL ReleaseStringUTFChars(JNIEnv* env, jstring str, const char* chars) {
  Entry e(env, "ReleaseStringUTFChars", true);
  if (e.ok) release(e, str, chars, CopyKind::StringUtfChars);
}

void JNICALL GetStringRegion(JNIEnv* env, jstring str, jsize start, jsize len, jchar* buf) {
  Entry e(env, "GetStringRegion");
  Object* o = e.ok ? stringOf(e, str) : nullptr;
  if (o == nullptr) return;
  if (outOfBounds(start, len, o->text.size())) {
    e.throwNew("java/lang/StringIndexOutOfBoundsException", "GetStringRegion out of bounds");
    return;
  }
  if (len > 0) std::memcpy(buf, o->text.data() + start, static_cast<std::size_t>(len) * sizeof(jchar));
}

void JNICALL GetStringUTFRegion(JNIEnv* env, jstring str, jsize start, jsize len, char* buf) {
  Entry e(env, "GetStringUTFRegion");
  Object* o = e.ok ? stringOf(e, str) : nullptr;
  if (o == nullptr) return;
  if (outOfBounds(start, len, o->text.size())) {
    e.throwNew("java/lang/StringIndexOutOfBoundsException", "GetStringUTFRegion out of bounds");
    return;
  }
  std::string bytes = toModifiedUtf8(std::u16string_view(o->text).substr(start, len));
  std::memcpy(buf, bytes.c_str(), bytes.size() + 1);
}

}  // namespace

void installStringFunctions(JNINativeInterface_& f) {
  f.NewString = NewString;
  f.GetStringLength = GetStringLength;
  f.GetStringChars = GetStringChars;
  f.ReleaseStringChars = ReleaseStringChars;
  f.GetStringCritical = GetStringCritical;
  f.ReleaseStringCritical = ReleaseStringCritical;
  f.NewStringUTF = NewStringUTF;
  f.GetStringUTFLength = GetStringUTFLength;
  f.GetStringUTFChars = GetStringUTFChars;
  f.ReleaseStringUTFChars = ReleaseStringUTFChars;
  f.GetStringRegion = GetStringRegion;
  f.GetStringUTFRegion = GetStringUTFRegion;
}

}  // namespace jnihost
