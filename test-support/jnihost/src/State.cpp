#include "State.h"

#include <cstdio>
#include <cstdlib>

namespace jnihost {

namespace {

thread_local ThreadState* tlsThread = nullptr;

// -Xcheck:jni warns when a frame holds more locals than planned and more than this.
constexpr std::size_t kLocalWarnThreshold = 32;

void printAndAbort(const std::string& what) {
  std::fprintf(stderr, "FATAL ERROR in native method: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

void printWarning(const std::string& what) {
  std::fprintf(stderr, "WARNING in native method: %s\n", what.c_str());
  std::fflush(stderr);
}

}  // namespace

Vm::State::State() : onMisuse(printAndAbort), onWarning(printWarning) {
  installTraps(functions, invoke);
  installStringFunctions(functions);
  installArrayFunctions(functions);
  installClassFunctions(functions);
  installExceptionFunctions(functions);
  installReferenceFunctions(functions);
  installInvokeFunctions(functions, invoke);
  javaVm.functions = &invoke;
  defineStandInClasses(*this);
}

Object* Vm::State::allocate(Kind kind, Object* cls) {
  heap.push_back(std::make_unique<Object>(kind, cls));
  return heap.back().get();
}

Object* Vm::State::findClass(const std::string& name) const {
  auto it = classes.find(name);
  return it == classes.end() ? nullptr : it->second;
}

Object* Vm::State::defineClass(const std::string& name, const std::string& superName) {
  if (Object* existing = findClass(name)) return existing;
  Object* cls = allocate(Kind::Class, classClass);
  cls->classData = std::make_unique<ClassData>();
  cls->classData->name = name;
  cls->classData->super = superName.empty() ? nullptr : defineClass(superName, "java/lang/Object");
  cls->classData->handle = std::make_unique<Class>(cls, &mu);
  classes[name] = cls;
  return cls;
}

bool Vm::State::isSubclass(Object* cls, const std::string& ancestor) const {
  for (; cls != nullptr; cls = cls->classData->super) {
    if (cls->classData->name == ancestor) return true;
  }
  return false;
}

MethodData* Vm::State::findMethod(Object* cls, const std::string& name, const std::string& sig,
                                  bool isStatic) {
  for (; cls != nullptr; cls = cls->classData->super) {
    for (MethodData& m : cls->classData->methods) {
      if (!m.removed && m.name == name && m.sig == sig && m.isStatic == isStatic) return &m;
    }
  }
  return nullptr;
}

Object* Vm::State::newThrowable(const std::string& className, const std::string& message) {
  Object* e = allocate(Kind::Instance, defineClass(className, "java/lang/RuntimeException"));
  e->message = message;
  return e;
}

ThreadState* Vm::State::current() {
  if (tlsThread != nullptr && tlsThread->attached) return tlsThread;
  return nullptr;
}

ThreadState* Vm::State::attachCurrent() {
  if (ThreadState* t = current()) return t;
  threads.push_back(std::make_unique<ThreadState>());
  ThreadState* t = threads.back().get();
  t->env.functions = &functions;
  t->env.thread = t;
  t->id = std::this_thread::get_id();
  t->frames.emplace_back();
  attached[t->id] = t;
  tlsThread = t;
  return t;
}

void Vm::State::detach(ThreadState* t) {
  while (!t->frames.empty()) popFrame(t);
  t->attached = false;
  t->pending = nullptr;
  attached.erase(t->id);
  if (tlsThread == t) tlsThread = nullptr;
}

jobject Vm::State::newLocal(ThreadState* t, Object* o) {
  if (o == nullptr) return nullptr;
  refs.push_back(std::make_unique<Ref>());
  Ref* r = refs.back().get();
  r->object = o;
  r->owner = t;
  knownRefs.insert(r);
  Frame& frame = t->frames.back();
  frame.refs.push_back(r);
  ++liveLocals;
  std::size_t live = 0;
  for (Ref* each : frame.refs) live += each->live ? 1 : 0;
  if (!frame.warned && live > frame.capacity && live > kLocalWarnThreshold) {
    frame.warned = true;
    warn("JNI local refs: " + std::to_string(live) + ", exceeds capacity: " +
         std::to_string(frame.capacity));
  }
  return reinterpret_cast<jobject>(r);
}

jobject Vm::State::newGlobal(Object* o) {
  if (o == nullptr) return nullptr;
  refs.push_back(std::make_unique<Ref>());
  Ref* r = refs.back().get();
  r->object = o;
  r->global = true;
  knownRefs.insert(r);
  ++liveGlobals;
  return reinterpret_cast<jobject>(r);
}

void Vm::State::kill(Ref* r) {
  if (!r->live) return;
  r->live = false;
  --(r->global ? liveGlobals : liveLocals);
}

void Vm::State::popFrame(ThreadState* t) {
  for (Ref* r : t->frames.back().refs) kill(r);
  t->frames.pop_back();
}

Object* Vm::State::resolve(ThreadState* t, jobject ref, const char* function, bool* bad) {
  *bad = false;
  if (ref == nullptr) return nullptr;
  auto* r = reinterpret_cast<Ref*>(ref);
  std::string problem;
  if (knownRefs.count(r) == 0) {
    problem = "not a reference";
  } else if (!r->live) {
    problem = r->global ? "a deleted global reference" : "a stale local reference";
  } else if (!r->global && r->owner != t) {
    problem = "a local reference of another thread";
  }
  if (problem.empty()) return r->object;
  *bad = true;
  misuse(std::string(function) + " given " + problem);
  return nullptr;
}

void Vm::State::misuse(const std::string& what) {
  auto handler = onMisuse;
  handler(what);
}

void Vm::State::warn(const std::string& what) {
  warnings.push_back(what);
  auto handler = onWarning;
  if (handler) handler(what);
}

bool Vm::State::allocationFails() {
  ++allocations;
  if (failAt <= 0) return false;
  if (--failAt > 0) return false;
  return true;
}

void Vm::State::throwOutOfMemory(ThreadState* t, const char* function) {
  t->pending = newThrowable("java/lang/OutOfMemoryError", std::string("injected in ") + function);
}

Entry::Entry(JNIEnv* env, const char* fn, bool allowedWithPending)
    : s(state()), function(fn), lock(s.mu) {
  auto* impl = reinterpret_cast<EnvImpl*>(env);
  ThreadState* caller = tlsThread;
  if (env == nullptr || impl->functions != &s.functions) {
    s.misuse(std::string(fn) + " called with an invalid JNIEnv");
    return;
  }
  t = impl->thread;
  if (!t->attached) {
    s.misuse(std::string(fn) + " called with the JNIEnv of a detached thread");
    return;
  }
  if (caller != t) {
    s.misuse(std::string(fn) + " called with the JNIEnv of another thread");
    return;
  }
  if (!t->uncheckedCall.empty() && !allowedWithPending) {
    s.warn("JNI call made without checking exceptions when required to from " + t->uncheckedCall);
    t->uncheckedCall.clear();
  }
  if (t->pending != nullptr && !allowedWithPending) {
    s.misuse(std::string(fn) + " called with an exception pending (" +
             t->pending->klass->classData->name + ")");
    return;
  }
  ok = true;
}

Object* Entry::object(jobject ref) {
  bool bad = false;
  Object* o = s.resolve(t, ref, function, &bad);
  if (bad) ok = false;
  return o;
}

void Entry::throwNew(const std::string& className, const std::string& message) {
  t->pending = s.newThrowable(className, message);
}

bool javaEquals(const Object* a, const Object* b) {
  if (a == b) return true;
  if (a == nullptr || b == nullptr) return false;
  return a->kind == Kind::String && b->kind == Kind::String && a->text == b->text;
}

}  // namespace jnihost
