// Byte arrays. Elements are always handed out as copies, so a release's mode shows: JNI_ABORT
// leaves the array as it was.
#include <cstring>

#include "State.h"

namespace jnihost {

namespace {

Object* arrayOf(Entry& e, jarray ref) {
  Object* o = e.object(ref);
  if (!e.ok) return nullptr;
  if (o == nullptr || o->kind != Kind::ByteArray) {
    e.s.misuse(std::string(e.function) + (o == nullptr ? " given a null array" : " given a non-array"));
    e.ok = false;
    return nullptr;
  }
  return o;
}

bool outOfBounds(jsize start, jsize len, std::size_t size) {
  return start < 0 || len < 0 || static_cast<std::size_t>(start) + static_cast<std::size_t>(len) > size;
}

jbyteArray JNICALL NewByteArray(JNIEnv* env, jsize len) {
  Entry e(env, "NewByteArray");
  if (!e.ok) return nullptr;
  if (len < 0) {
    e.throwNew("java/lang/NegativeArraySizeException", std::to_string(len));
    return nullptr;
  }
  if (e.s.allocationFails()) {
    e.outOfMemory();
    return nullptr;
  }
  Object* o = e.s.allocate(Kind::ByteArray, e.s.findClass("[B"));
  o->bytes.assign(static_cast<std::size_t>(len), 0);
  return static_cast<jbyteArray>(e.local(o));
}

jsize JNICALL GetArrayLength(JNIEnv* env, jarray array) {
  Entry e(env, "GetArrayLength");
  Object* o = e.ok ? arrayOf(e, array) : nullptr;
  return o == nullptr ? 0 : static_cast<jsize>(o->bytes.size());
}

jbyte* elementsCopy(Entry& e, jarray array, jboolean* isCopy, bool allocates) {
  Object* o = arrayOf(e, array);
  if (o == nullptr) return nullptr;
  if (allocates && e.s.allocationFails()) {
    e.outOfMemory();
    return nullptr;
  }
  // Never a zero-sized allocation: an empty array still gets a distinct pointer to release.
  auto* copy = new jbyte[o->bytes.size() + 1];
  if (!o->bytes.empty()) std::memcpy(copy, o->bytes.data(), o->bytes.size());
  e.s.copies[copy] = Copy{CopyKind::ByteElements, o};
  if (isCopy != nullptr) *isCopy = JNI_TRUE;
  return copy;
}

void releaseElements(Entry& e, jarray array, void* elems, jint mode) {
  Object* o = arrayOf(e, array);
  if (o == nullptr) return;
  auto it = e.s.copies.find(elems);
  if (it == e.s.copies.end() || it->second.kind != CopyKind::ByteElements || it->second.source != o) {
    e.s.misuse(std::string(e.function) + " given elements that were not got from this array");
    return;
  }
  if (mode != JNI_ABORT && !o->bytes.empty()) std::memcpy(o->bytes.data(), elems, o->bytes.size());
  if (mode == JNI_COMMIT) return;
  e.s.copies.erase(it);
  delete[] static_cast<jbyte*>(elems);
}

jbyte* JNICALL GetByteArrayElements(JNIEnv* env, jbyteArray array, jboolean* isCopy) {
  Entry e(env, "GetByteArrayElements");
  return e.ok ? elementsCopy(e, array, isCopy, true) : nullptr;
}

void JNICALL ReleaseByteArrayElements(JNIEnv* env, jbyteArray array, jbyte* elems, jint mode) {
  Entry e(env, "ReleaseByteArrayElements", true);
  if (e.ok) releaseElements(e, array, elems, mode);
}

void* JNICALL GetPrimitiveArrayCritical(JNIEnv* env, jarray array, jboolean* isCopy) {
  Entry e(env, "GetPrimitiveArrayCritical");
  return e.ok ? elementsCopy(e, array, isCopy, false) : nullptr;
}

void JNICALL ReleasePrimitiveArrayCritical(JNIEnv* env, jarray array, void* elems, jint mode) {
  Entry e(env, "ReleasePrimitiveArrayCritical", true);
  if (e.ok) releaseElements(e, array, elems, mode);
}

void JNICALL GetByteArrayRegion(JNIEnv* env, jbyteArray array, jsize start, jsize len, jbyte* buf) {
  Entry e(env, "GetByteArrayRegion");
  Object* o = e.ok ? arrayOf(e, array) : nullptr;
  if (o == nullptr) return;
  if (outOfBounds(start, len, o->bytes.size())) {
    e.throwNew("java/lang/ArrayIndexOutOfBoundsException", "GetByteArrayRegion out of bounds");
    return;
  }
  if (len > 0) std::memcpy(buf, o->bytes.data() + start, static_cast<std::size_t>(len));
}

void JNICALL SetByteArrayRegion(JNIEnv* env, jbyteArray array, jsize start, jsize len, const jbyte* buf) {
  Entry e(env, "SetByteArrayRegion");
  Object* o = e.ok ? arrayOf(e, array) : nullptr;
  if (o == nullptr) return;
  if (outOfBounds(start, len, o->bytes.size())) {
    e.throwNew("java/lang/ArrayIndexOutOfBoundsException", "SetByteArrayRegion out of bounds");
    return;
  }
  if (len > 0) std::memcpy(o->bytes.data() + start, buf, static_cast<std::size_t>(len));
}

}  // namespace

void installArrayFunctions(JNINativeInterface_& f) {
  f.NewByteArray = NewByteArray;
  f.GetArrayLength = GetArrayLength;
  f.GetByteArrayElements = GetByteArrayElements;
  f.ReleaseByteArrayElements = ReleaseByteArrayElements;
  f.GetPrimitiveArrayCritical = GetPrimitiveArrayCritical;
  f.ReleasePrimitiveArrayCritical = ReleasePrimitiveArrayCritical;
  f.GetByteArrayRegion = GetByteArrayRegion;
  f.SetByteArrayRegion = SetByteArrayRegion;
}

}  // namespace jnihost
