// Exceptions: thrown objects stay pending on their thread until cleared or, at the end of a
// native call, handed to the caller (Vm::takeThrown).
#include <cstdio>
#include <cstdlib>

#include "State.h"
#include "jnihost/ModifiedUtf8.h"

namespace jnihost {

namespace {

jint JNICALL Throw(JNIEnv* env, jthrowable obj) {
  Entry e(env, "Throw");
  Object* o = e.ok ? e.object(obj) : nullptr;
  if (o == nullptr || o->kind != Kind::Instance || !e.s.isSubclass(o->klass, "java/lang/Throwable")) {
    if (e.ok) e.s.misuse("Throw given something that is not a Throwable");
    return JNI_ERR;
  }
  e.t->pending = o;
  return JNI_OK;
}

jint JNICALL ThrowNew(JNIEnv* env, jclass clazz, const char* msg) {
  Entry e(env, "ThrowNew");
  Object* cls = e.ok ? e.object(clazz) : nullptr;
  if (cls == nullptr || cls->kind != Kind::Class || !e.s.isSubclass(cls, "java/lang/Throwable")) {
    if (e.ok) e.s.misuse("ThrowNew given a class that is not a Throwable");
    return JNI_ERR;
  }
  Object* thrown = e.s.allocate(Kind::Instance, cls);
  if (msg != nullptr) thrown->message = toUtf8(fromModifiedUtf8(msg));
  e.t->pending = thrown;
  return JNI_OK;
}

jthrowable JNICALL ExceptionOccurred(JNIEnv* env) {
  Entry e(env, "ExceptionOccurred", true);
  if (!e.ok) return nullptr;
  e.t->uncheckedCall.clear();
  return static_cast<jthrowable>(e.local(e.t->pending));
}

void JNICALL ExceptionDescribe(JNIEnv* env) {
  Entry e(env, "ExceptionDescribe", true);
  if (!e.ok || e.t->pending == nullptr) return;
  std::fprintf(stderr, "Exception in native code: %s: %s\n", e.t->pending->klass->classData->name.c_str(),
               e.t->pending->message.c_str());
  e.t->pending = nullptr;
}

void JNICALL ExceptionClear(JNIEnv* env) {
  Entry e(env, "ExceptionClear", true);
  if (!e.ok) return;
  e.t->pending = nullptr;
  e.t->uncheckedCall.clear();
}

jboolean JNICALL ExceptionCheck(JNIEnv* env) {
  Entry e(env, "ExceptionCheck", true);
  if (e.ok) e.t->uncheckedCall.clear();
  return e.ok && e.t->pending != nullptr ? JNI_TRUE : JNI_FALSE;
}

void JNICALL FatalError(JNIEnv*, const char* msg) {
  std::fprintf(stderr, "FATAL ERROR in native method: %s\n", msg == nullptr ? "" : msg);
  std::fflush(stderr);
  std::abort();
}

}  // namespace

void installExceptionFunctions(JNINativeInterface_& f) {
  f.Throw = Throw;
  f.ThrowNew = ThrowNew;
  f.ExceptionOccurred = ExceptionOccurred;
  f.ExceptionDescribe = ExceptionDescribe;
  f.ExceptionClear = ExceptionClear;
  f.ExceptionCheck = ExceptionCheck;
  f.FatalError = FatalError;
}

}  // namespace jnihost
