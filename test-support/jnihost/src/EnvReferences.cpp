// Local frames, local and global references.
#include <algorithm>

#include "State.h"

namespace jnihost {

namespace {

Ref* refOf(jobject ref) { return reinterpret_cast<Ref*>(ref); }

jint JNICALL PushLocalFrame(JNIEnv* env, jint capacity) {
  Entry e(env, "PushLocalFrame", true);
  if (!e.ok) return JNI_ERR;
  if (capacity < 0) {
    e.s.misuse("PushLocalFrame given a negative capacity");
    return JNI_ERR;
  }
  if (e.s.allocationFails()) {
    e.outOfMemory();
    return JNI_ENOMEM;
  }
  e.t->frames.emplace_back();
  e.t->frames.back().capacity = static_cast<std::size_t>(capacity);
  e.t->frames.back().pushed = true;
  return JNI_OK;
}

jobject JNICALL PopLocalFrame(JNIEnv* env, jobject result) {
  Entry e(env, "PopLocalFrame", true);
  if (!e.ok) return nullptr;
  if (!e.t->frames.back().pushed) {
    e.s.misuse("PopLocalFrame without a matching PushLocalFrame");
    return nullptr;
  }
  Object* kept = e.object(result);
  e.s.popFrame(e.t);
  return e.local(kept);
}

jint JNICALL EnsureLocalCapacity(JNIEnv* env, jint capacity) {
  Entry e(env, "EnsureLocalCapacity");
  if (!e.ok || capacity < 0) return JNI_ERR;
  Frame& frame = e.t->frames.back();
  std::size_t live = 0;
  for (Ref* r : frame.refs) live += r->live ? 1 : 0;
  frame.capacity = std::max(frame.capacity, live + static_cast<std::size_t>(capacity));
  return JNI_OK;
}

jobject JNICALL NewGlobalRef(JNIEnv* env, jobject obj) {
  Entry e(env, "NewGlobalRef");
  Object* o = e.ok ? e.object(obj) : nullptr;
  if (o == nullptr) return nullptr;
  if (e.s.allocationFails()) return nullptr;  // the JVM returns null without an exception
  return e.s.newGlobal(o);
}

void JNICALL DeleteGlobalRef(JNIEnv* env, jobject ref) {
  Entry e(env, "DeleteGlobalRef", true);
  if (!e.ok || ref == nullptr) return;
  e.object(ref);
  if (!e.ok) return;
  if (!refOf(ref)->global) {
    e.s.misuse("DeleteGlobalRef given a local reference");
    return;
  }
  e.s.kill(refOf(ref));
}

void JNICALL DeleteLocalRef(JNIEnv* env, jobject ref) {
  Entry e(env, "DeleteLocalRef", true);
  if (!e.ok || ref == nullptr) return;
  e.object(ref);
  if (!e.ok) return;
  if (refOf(ref)->global) {
    e.s.misuse("DeleteLocalRef given a global reference");
    return;
  }
  e.s.kill(refOf(ref));
}

jobject JNICALL NewLocalRef(JNIEnv* env, jobject ref) {
  Entry e(env, "NewLocalRef");
  Object* o = e.ok ? e.object(ref) : nullptr;
  if (o == nullptr) return nullptr;
  if (e.s.allocationFails()) {
    e.outOfMemory();
    return nullptr;
  }
  return e.local(o);
}

jboolean JNICALL IsSameObject(JNIEnv* env, jobject a, jobject b) {
  Entry e(env, "IsSameObject");
  if (!e.ok) return JNI_FALSE;
  Object* first = e.object(a);
  Object* second = e.object(b);
  return e.ok && first == second ? JNI_TRUE : JNI_FALSE;
}

jobjectRefType JNICALL GetObjectRefType(JNIEnv* env, jobject ref) {
  Entry e(env, "GetObjectRefType");
  if (!e.ok || ref == nullptr) return JNIInvalidRefType;
  Ref* r = refOf(ref);
  if (e.s.knownRefs.count(r) == 0 || !r->live) return JNIInvalidRefType;
  return r->global ? JNIGlobalRefType : JNILocalRefType;
}

}  // namespace

void installReferenceFunctions(JNINativeInterface_& f) {
  f.PushLocalFrame = PushLocalFrame;
  f.PopLocalFrame = PopLocalFrame;
  f.EnsureLocalCapacity = EnsureLocalCapacity;
  f.NewGlobalRef = NewGlobalRef;
  f.DeleteGlobalRef = DeleteGlobalRef;
  f.DeleteLocalRef = DeleteLocalRef;
  f.NewLocalRef = NewLocalRef;
  f.IsSameObject = IsSameObject;
  f.GetObjectRefType = GetObjectRefType;
}

}  // namespace jnihost
