// Classes, method ids, object creation and method calls. Methods are C++ callables; each call
// is logged, and runs without the host's lock so it may call back or wait for other threads.
#include <cstdarg>

#include "State.h"
#include "jnihost/ModifiedUtf8.h"

namespace jnihost {

namespace {

// The parameter types of a method descriptor, one letter each ('L' for any reference), and
// its return type letter.
struct Descriptor {
  std::string params;
  char result = 'V';
  bool valid = false;
};

Descriptor parse(const std::string& sig) {
  Descriptor d;
  std::size_t i = 1;
  if (sig.empty() || sig[0] != '(') return d;
  while (i < sig.size() && sig[i] != ')') {
    bool array = false;
    while (i < sig.size() && sig[i] == '[') {
      array = true;
      ++i;
    }
    if (i >= sig.size()) return d;
    char type = array ? 'L' : sig[i];
    if (sig[i] == 'L') {
      i = sig.find(';', i);
      if (i == std::string::npos) return d;
    }
    d.params += type;
    ++i;
  }
  if (i + 1 >= sig.size()) return d;
  d.result = sig[i + 1] == '[' ? 'L' : sig[i + 1];
  d.valid = true;
  return d;
}

// Reads a call's arguments either from a va_list or from a jvalue array.
class Arguments {
 public:
  explicit Arguments(va_list* list) : list_(list) {}
  explicit Arguments(const jvalue* values) : values_(values) {}

  Value next(Entry& e, char type) {
    if (values_ != nullptr) return fromValue(e, type, values_[index_++]);
    switch (type) {
      case 'J': return Value::of(static_cast<std::int64_t>(va_arg(*list_, jlong)));
      case 'F':
      case 'D': return Value::of(static_cast<std::int64_t>(va_arg(*list_, double)));
      case 'L': return Value::of(e.object(va_arg(*list_, jobject)));
      default: return Value::of(static_cast<std::int64_t>(va_arg(*list_, int)));
    }
  }

 private:
  static Value fromValue(Entry& e, char type, const jvalue& v) {
    switch (type) {
      case 'Z': return Value::of(std::int64_t{v.z});
      case 'B': return Value::of(std::int64_t{v.b});
      case 'C': return Value::of(std::int64_t{v.c});
      case 'S': return Value::of(std::int64_t{v.s});
      case 'J': return Value::of(std::int64_t{v.j});
      case 'F': return Value::of(static_cast<std::int64_t>(v.f));
      case 'D': return Value::of(static_cast<std::int64_t>(v.d));
      case 'L': return Value::of(e.object(v.l));
      default: return Value::of(std::int64_t{v.i});
    }
  }

  va_list* list_ = nullptr;
  const jvalue* values_ = nullptr;
  std::size_t index_ = 0;
};

Object* classOf(Entry& e, jclass ref) {
  Object* o = e.object(ref);
  if (!e.ok) return nullptr;
  if (o == nullptr || o->kind != Kind::Class) {
    e.s.misuse(std::string(e.function) + " given " + (o == nullptr ? "a null class" : "a non-class"));
    e.ok = false;
    return nullptr;
  }
  return o;
}

MethodData* methodOf(Entry& e, jmethodID id, bool isStatic) {
  auto* m = reinterpret_cast<MethodData*>(id);
  if (m == nullptr) {
    e.s.misuse(std::string(e.function) + " given a null method id");
    e.ok = false;
    return nullptr;
  }
  if (m->isStatic != isStatic) {
    e.s.misuse(std::string(e.function) + " given the id of a " + (m->isStatic ? "static" : "instance") +
               " method");
    e.ok = false;
    return nullptr;
  }
  return m;
}

// Runs a method with the lock released; the call is logged with its thread.
Value invoke(Entry& e, MethodData* m, Object* self, std::vector<Value> args) {
  std::size_t record = e.s.calls.size();
  e.s.calls.push_back(CallRecord{m->owner->classData->name, m->name, std::this_thread::get_id(), args, false});
  Callable body = m->body;
  e.lock.unlock();
  CallContext context{Vm::instance(), self, std::move(args)};
  Value result = body(context);
  e.lock.lock();
  if (e.t->pending != nullptr) e.s.calls[record].threw = true;
  if (m->name != "<init>") e.t->uncheckedCall = e.function;
  return result;
}

// Reads the arguments and calls; `ok` is false when the call could not be made.
Value call(Entry& e, Object* self, MethodData* m, Arguments& args) {
  Descriptor d = parse(m->sig);
  std::vector<Value> values;
  for (char type : d.params) values.push_back(args.next(e, type));
  if (!e.ok) return Value{};
  return invoke(e, m, self, std::move(values));
}

template <class R>
R convert(Entry& e, const Value& v) {
  if constexpr (std::is_same_v<R, jobject>) {
    return e.t->pending != nullptr ? nullptr : e.local(v.object);
  } else if constexpr (std::is_same_v<R, jboolean>) {
    return v.number != 0 ? JNI_TRUE : JNI_FALSE;
  } else {
    return static_cast<R>(v.number);
  }
}

template <class R>
R callInstance(JNIEnv* env, const char* function, jobject obj, jmethodID id, Arguments args) {
  Entry e(env, function);
  Object* self = e.ok ? e.object(obj) : nullptr;
  MethodData* m = e.ok ? methodOf(e, id, false) : nullptr;
  if (m != nullptr && self == nullptr) {
    e.s.misuse(std::string(function) + " given a null object");
    e.ok = false;
  } else if (m != nullptr && !e.s.isSubclass(self->klass, m->owner->classData->name)) {
    e.s.misuse(std::string(function) + " given a method of " + m->owner->classData->name + " for a " +
               self->klass->classData->name);
    e.ok = false;
  }
  if (!e.ok) return R{};
  Value v = call(e, self, m, args);
  if (!e.ok) return R{};
  return convert<R>(e, v);
}

template <class R>
R callStatic(JNIEnv* env, const char* function, jclass cls, jmethodID id, Arguments args) {
  Entry e(env, function);
  Object* owner = e.ok ? classOf(e, cls) : nullptr;
  MethodData* m = e.ok ? methodOf(e, id, true) : nullptr;
  if (!e.ok || owner == nullptr) return R{};
  Value v = call(e, nullptr, m, args);
  if (!e.ok) return R{};
  return convert<R>(e, v);
}

template <>
void callInstance<void>(JNIEnv* env, const char* function, jobject obj, jmethodID id, Arguments args) {
  callInstance<jint>(env, function, obj, id, args);
}

template <>
void callStatic<void>(JNIEnv* env, const char* function, jclass cls, jmethodID id, Arguments args) {
  callStatic<jint>(env, function, cls, id, args);
}

// Ends a va_list when the call returns.
struct VaEnd {
  va_list* list;
  ~VaEnd() { va_end(*list); }
};

// The three forms of each call: variadic, va_list and jvalue array. A va_list parameter is
// copied before its address is taken (on some ABIs the parameter is already a pointer).
#define JNIHOST_CALLS(Type, R)                                                                    \
  R JNICALL Call##Type##MethodV(JNIEnv* env, jobject obj, jmethodID id, va_list args) {           \
    va_list copy;                                                                                 \
    va_copy(copy, args);                                                                          \
    VaEnd end{&copy};                                                                             \
    return callInstance<R>(env, "Call" #Type "MethodV", obj, id, Arguments(&copy));              \
  }                                                                                               \
  R JNICALL Call##Type##MethodA(JNIEnv* env, jobject obj, jmethodID id, const jvalue* args) {     \
    return callInstance<R>(env, "Call" #Type "MethodA", obj, id, Arguments(args));               \
  }                                                                                               \
  R JNICALL Call##Type##Method(JNIEnv* env, jobject obj, jmethodID id, ...) {                     \
    va_list args;                                                                                 \
    va_start(args, id);                                                                           \
    VaEnd end{&args};                                                                             \
    return callInstance<R>(env, "Call" #Type "Method", obj, id, Arguments(&args));               \
  }                                                                                               \
  R JNICALL CallStatic##Type##MethodV(JNIEnv* env, jclass cls, jmethodID id, va_list args) {      \
    va_list copy;                                                                                 \
    va_copy(copy, args);                                                                          \
    VaEnd end{&copy};                                                                             \
    return callStatic<R>(env, "CallStatic" #Type "MethodV", cls, id, Arguments(&copy));          \
  }                                                                                               \
  R JNICALL CallStatic##Type##MethodA(JNIEnv* env, jclass cls, jmethodID id, const jvalue* args) { \
    return callStatic<R>(env, "CallStatic" #Type "MethodA", cls, id, Arguments(args));           \
  }                                                                                               \
  R JNICALL CallStatic##Type##Method(JNIEnv* env, jclass cls, jmethodID id, ...) {                \
    va_list args;                                                                                 \
    va_start(args, id);                                                                           \
    VaEnd end{&args};                                                                             \
    return callStatic<R>(env, "CallStatic" #Type "Method", cls, id, Arguments(&args));           \
  }

JNIHOST_CALLS(Void, void)
JNIHOST_CALLS(Boolean, jboolean)
JNIHOST_CALLS(Int, jint)
JNIHOST_CALLS(Long, jlong)
JNIHOST_CALLS(Object, jobject)
#undef JNIHOST_CALLS

jobject newObject(JNIEnv* env, const char* function, jclass clazz, jmethodID id, Arguments args) {
  Entry e(env, function);
  Object* cls = e.ok ? classOf(e, clazz) : nullptr;
  MethodData* ctor = e.ok ? methodOf(e, id, false) : nullptr;
  if (!e.ok) return nullptr;
  if (ctor->name != "<init>" || ctor->owner != cls) {
    e.s.misuse(std::string(function) + " given a method id that is not a constructor of " + cls->classData->name);
    return nullptr;
  }
  if (e.s.allocationFails()) {
    e.outOfMemory();
    return nullptr;
  }
  Object* self = e.s.allocate(Kind::Instance, cls);
  call(e, self, ctor, args);
  if (!e.ok || e.t->pending != nullptr) return nullptr;
  return e.local(self);
}

jobject JNICALL NewObjectV(JNIEnv* env, jclass clazz, jmethodID id, va_list args) {
  va_list copy;
  va_copy(copy, args);
  VaEnd end{&copy};
  return newObject(env, "NewObjectV", clazz, id, Arguments(&copy));
}

jobject JNICALL NewObjectA(JNIEnv* env, jclass clazz, jmethodID id, const jvalue* args) {
  return newObject(env, "NewObjectA", clazz, id, Arguments(args));
}

jobject JNICALL NewObject(JNIEnv* env, jclass clazz, jmethodID id, ...) {
  va_list args;
  va_start(args, id);
  VaEnd end{&args};
  return newObject(env, "NewObject", clazz, id, Arguments(&args));
}

jclass JNICALL FindClass(JNIEnv* env, const char* name) {
  Entry e(env, "FindClass");
  if (!e.ok) return nullptr;
  std::string className = name == nullptr ? "" : name;
  if (className.size() > 2 && className.front() == 'L' && className.back() == ';') {
    e.s.warn("FindClass received a class descriptor \"" + className +
             "\" instead of a class name; future releases will not accept it");
    className = className.substr(1, className.size() - 2);
  }
  Object* cls = e.s.findClass(className);
  if (cls == nullptr) {
    e.throwNew("java/lang/NoClassDefFoundError", className);
    return nullptr;
  }
  return static_cast<jclass>(e.local(cls));
}

jclass JNICALL GetObjectClass(JNIEnv* env, jobject obj) {
  Entry e(env, "GetObjectClass");
  Object* o = e.ok ? e.object(obj) : nullptr;
  if (!e.ok) return nullptr;
  if (o == nullptr) {
    e.s.misuse("GetObjectClass given a null object");
    return nullptr;
  }
  return static_cast<jclass>(e.local(o->klass));
}

jclass JNICALL GetSuperclass(JNIEnv* env, jclass clazz) {
  Entry e(env, "GetSuperclass");
  Object* cls = e.ok ? classOf(e, clazz) : nullptr;
  return cls == nullptr ? nullptr : static_cast<jclass>(e.local(cls->classData->super));
}

jboolean JNICALL IsInstanceOf(JNIEnv* env, jobject obj, jclass clazz) {
  Entry e(env, "IsInstanceOf");
  Object* o = e.ok ? e.object(obj) : nullptr;
  Object* cls = e.ok ? classOf(e, clazz) : nullptr;
  if (!e.ok) return JNI_FALSE;
  return o == nullptr || e.s.isSubclass(o->klass, cls->classData->name) ? JNI_TRUE : JNI_FALSE;
}

jmethodID methodId(JNIEnv* env, const char* function, jclass clazz, const char* name, const char* sig,
                   bool isStatic) {
  Entry e(env, function);
  Object* cls = e.ok ? classOf(e, clazz) : nullptr;
  if (cls == nullptr || name == nullptr || sig == nullptr) return nullptr;
  if (!parse(sig).valid) {
    e.s.misuse(std::string(function) + " given a malformed signature " + sig);
    return nullptr;
  }
  MethodData* m = e.s.findMethod(cls, name, sig, isStatic);
  if (m == nullptr) {
    e.throwNew("java/lang/NoSuchMethodError", std::string(name) + sig);
    return nullptr;
  }
  return reinterpret_cast<jmethodID>(m);
}

jmethodID JNICALL GetMethodID(JNIEnv* env, jclass clazz, const char* name, const char* sig) {
  return methodId(env, "GetMethodID", clazz, name, sig, false);
}

jmethodID JNICALL GetStaticMethodID(JNIEnv* env, jclass clazz, const char* name, const char* sig) {
  return methodId(env, "GetStaticMethodID", clazz, name, sig, true);
}

}  // namespace

void installClassFunctions(JNINativeInterface_& f) {
  f.FindClass = FindClass;
  f.GetObjectClass = GetObjectClass;
  f.GetSuperclass = GetSuperclass;
  f.IsInstanceOf = IsInstanceOf;
  f.GetMethodID = GetMethodID;
  f.GetStaticMethodID = GetStaticMethodID;
  f.NewObject = NewObject;
  f.NewObjectV = NewObjectV;
  f.NewObjectA = NewObjectA;
#define JNIHOST_INSTALL(Type)                               \
  f.Call##Type##Method = Call##Type##Method;                \
  f.Call##Type##MethodV = Call##Type##MethodV;              \
  f.Call##Type##MethodA = Call##Type##MethodA;              \
  f.CallStatic##Type##Method = CallStatic##Type##Method;    \
  f.CallStatic##Type##MethodV = CallStatic##Type##MethodV;  \
  f.CallStatic##Type##MethodA = CallStatic##Type##MethodA;
  JNIHOST_INSTALL(Void)
  JNIHOST_INSTALL(Boolean)
  JNIHOST_INSTALL(Int)
  JNIHOST_INSTALL(Long)
  JNIHOST_INSTALL(Object)
#undef JNIHOST_INSTALL
}

}  // namespace jnihost
