// The JavaVM: attaching and detaching threads, one JNIEnv per attached thread.
#include "State.h"

namespace jnihost {

namespace {

bool knownVersion(jint version) {
  return version == JNI_VERSION_1_1 || version == JNI_VERSION_1_2 || version == JNI_VERSION_1_4 ||
         version == JNI_VERSION_1_6 || version == JNI_VERSION_1_8 || version == JNI_VERSION_9 ||
         version == JNI_VERSION_10;
}

jint attach(JavaVM*, void** penv) {
  Vm::State& s = state();
  std::lock_guard<std::recursive_mutex> lock(s.mu);
  if (s.current() == nullptr && s.failAttach) {
    s.failAttach = false;
    if (penv != nullptr) *penv = nullptr;
    return JNI_ERR;
  }
  ThreadState* t = s.attachCurrent();
  if (penv != nullptr) *penv = &t->env;
  return JNI_OK;
}

jint JNICALL AttachCurrentThread(JavaVM* vm, void** penv, void*) { return attach(vm, penv); }

jint JNICALL AttachCurrentThreadAsDaemon(JavaVM* vm, void** penv, void*) { return attach(vm, penv); }

jint JNICALL DetachCurrentThread(JavaVM*) {
  Vm::State& s = state();
  std::lock_guard<std::recursive_mutex> lock(s.mu);
  ThreadState* t = s.current();
  if (t == nullptr) return JNI_OK;
  for (const Frame& frame : t->frames) {
    if (frame.pushed) {
      s.misuse("DetachCurrentThread with a local frame still pushed");
      break;
    }
  }
  s.detach(t);
  return JNI_OK;
}

jint JNICALL GetEnv(JavaVM*, void** penv, jint version) {
  Vm::State& s = state();
  std::lock_guard<std::recursive_mutex> lock(s.mu);
  ThreadState* t = s.current();
  *penv = nullptr;
  if (t == nullptr) return JNI_EDETACHED;
  if (!knownVersion(version)) return JNI_EVERSION;
  *penv = &t->env;
  return JNI_OK;
}

jint JNICALL DestroyJavaVM(JavaVM*) { return JNI_ERR; }

jint JNICALL GetVersion(JNIEnv* env) {
  Entry e(env, "GetVersion");
  return JNI_VERSION_10;
}

jint JNICALL GetJavaVM(JNIEnv* env, JavaVM** vm) {
  Entry e(env, "GetJavaVM");
  if (!e.ok) return JNI_ERR;
  *vm = reinterpret_cast<JavaVM*>(&e.s.javaVm);
  return JNI_OK;
}

}  // namespace

void installInvokeFunctions(JNINativeInterface_& f, JNIInvokeInterface_& invoke) {
  f.GetVersion = GetVersion;
  f.GetJavaVM = GetJavaVM;
  invoke.DestroyJavaVM = DestroyJavaVM;
  invoke.AttachCurrentThread = AttachCurrentThread;
  invoke.AttachCurrentThreadAsDaemon = AttachCurrentThreadAsDaemon;
  invoke.DetachCurrentThread = DetachCurrentThread;
  invoke.GetEnv = GetEnv;
}

}  // namespace jnihost
