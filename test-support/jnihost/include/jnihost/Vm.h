// A test-only Java VM, enough of one to drive our JNI libraries where no real VM runs (under
// Wine) and to watch them closely where one does. It implements the JNI functions our natives
// call, keeps a small object heap (strings, byte arrays, stand-in collections, exceptions and
// classes defined by tests with C++ callables as methods), and checks what -Xcheck:jni checks:
// calls with an exception pending, stale or foreign references, releases of what was never
// got, and any unimplemented function. It also counts live references and unreleased copies,
// and can fail the n-th allocating call as a JVM out of memory does.
//
// One VM per process, as in Java: a loaded library may keep the JavaVM pointer.
#pragma once

#include <jni.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace jnihost {

class Object;
class Class;
class Vm;

// A Java value passed to or returned by a method: boolean, int and long in `number`,
// references in `object` (null for Java null).
struct Value {
  std::int64_t number = 0;
  Object* object = nullptr;

  static Value of(std::int64_t n) { return Value{n, nullptr}; }
  static Value of(Object* o) { return Value{0, o}; }
};

// What a method implemented in C++ sees.
struct CallContext {
  Vm& vm;
  Object* self;  // null for static methods
  std::vector<Value> args;
};

using Callable = std::function<Value(CallContext&)>;

// One call of a method defined by a test or a stand-in class, in order.
struct CallRecord {
  std::string className;
  std::string methodName;
  std::thread::id thread;
  std::vector<Value> args;
  bool threw = false;
};

class Class {
 public:
  // Adds a method; sig is its JNI descriptor, e.g. "(ILjava/lang/String;)Z".
  Class& method(const std::string& name, const std::string& sig, Callable body);
  Class& staticMethod(const std::string& name, const std::string& sig, Callable body);
  // Takes a method away again, as if the class had been compiled without it.
  Class& remove(const std::string& name, const std::string& sig);

  const std::string& name() const;

 // Made by the host for each class object; `mu` guards the host.
  Class(Object* object, std::recursive_mutex* mu) : object_(object), mu_(mu) {}

 private:
  Object* object_;
  std::recursive_mutex* mu_;
};

class Vm {
 public:
  static Vm& instance();

  JavaVM* javaVm();
  // The current thread's environment; attaches the thread when it is not attached.
  JNIEnv* env();

  // --- The Java side's view of the heap: tests make arguments and read results here.
  Object* newString(const std::u16string& text);
  Object* newStringFromUtf8(const std::string& utf8);
  Object* newByteArray(const std::vector<std::uint8_t>& bytes);
  Object* newInstance(const std::string& className);
  bool isString(Object* o) const;
  std::u16string text(Object* string) const;
  std::string utf8(Object* string) const;  // standard UTF-8, for messages
  std::vector<std::uint8_t> bytes(Object* byteArray) const;
  std::string className(Object* o) const;
  // Elements of a stand-in ArrayList or HashSet, in insertion order.
  std::vector<Object*> elements(Object* collection) const;
  // Entries of a stand-in HashMap, in insertion order.
  std::vector<std::pair<Object*, Object*>> entries(Object* map) const;
  std::string exceptionMessage(Object* throwable) const;

  // --- Classes. The stand-in java/util collections and the common exceptions always exist.
  Class& defineClass(const std::string& name, const std::string& superName = "java/lang/Object");
  bool hasClass(const std::string& name) const;
  std::vector<CallRecord> calls() const;
  void clearCalls();

  // --- Exceptions on the current thread, for methods implemented in C++.
  void throwNew(const std::string& className, const std::string& message);
  // The exception a native call left pending when it returned (Java would have thrown it), and
  // forgets it. Null when there is none.
  Object* takeThrown();

  // --- Checks and counts.
  std::size_t liveLocalRefs() const;
  std::size_t liveGlobalRefs() const;
  std::size_t unreleasedCopies() const;
  // Misuse is what -Xcheck:jni would stop the VM for. The default handler prints and aborts;
  // test drivers install one that fails the current test.
  void setMisuseHandler(std::function<void(const std::string&)> handler);
  // Warnings are what -Xcheck:jni prints and lets pass (a class descriptor given to FindClass,
  // more locals than the frame's capacity). They are recorded and passed to the handler.
  void setWarningHandler(std::function<void(const std::string&)> handler);
  std::vector<std::string> warnings() const;

  // --- Faults. The n-th allocating call from now (1 = the next) fails as a JVM out of memory
  // does: null (or JNI_ENOMEM) with OutOfMemoryError pending; 0 turns it off. Allocating calls:
  // NewString, NewStringUTF, NewByteArray, NewObject*, GetStringChars, GetStringUTFChars,
  // GetByteArrayElements, PushLocalFrame, NewGlobalRef (null, nothing pending), NewLocalRef.
  void failAllocationAt(int n);
  int allocatingCalls() const;  // since the last reset
  // The next AttachCurrentThread fails with JNI_ERR.
  void failNextAttach();

  // Clears the call log, warnings, faults and the thrown exception; heap and classes stay.
  void reset();

  // --- Calling natives, as the VM does: a local frame for the call, arguments as local
  // references in it, the result read before the frame goes. Object* arguments become
  // jobject (Java null stays null); numbers pass as they are.
  template <class R, class... A>
  R callStatic(void* function, const std::string& className, A... args);
  template <class R, class... A>
  R callInstance(void* function, Object* self, A... args);

  Vm(const Vm&) = delete;
  Vm& operator=(const Vm&) = delete;

  // The frame of one native call on the current thread (used by the call templates).
  class NativeFrame {
   public:
    explicit NativeFrame(Vm& vm);
    ~NativeFrame();
    NativeFrame(const NativeFrame&) = delete;
    NativeFrame& operator=(const NativeFrame&) = delete;
    JNIEnv* env() const { return env_; }
    jobject local(Object* o);
    jclass classRef(const std::string& className);
    Object* resolve(jobject ref);

    template <class T>
    T arg(T v) { return v; }
    jobject arg(Object* o) { return local(o); }

   private:
    Vm& vm_;
    JNIEnv* env_;
  };

  struct State;

 private:
  Vm();
  ~Vm();
  friend State& state();

  std::unique_ptr<State> state_;
};

namespace detail {
template <class T>
struct Jni {
  using type = T;
  static T out(Vm::NativeFrame&, T v) { return v; }
};
template <>
struct Jni<void> {
  using type = void;
};
template <>
struct Jni<Object*> {
  using type = jobject;
  static Object* out(Vm::NativeFrame& frame, jobject v) { return frame.resolve(v); }
};
}  // namespace detail

template <class R, class... A>
R Vm::callStatic(void* function, const std::string& className, A... args) {
  NativeFrame frame(*this);
  jclass klass = frame.classRef(className);
  using Fn = typename detail::Jni<R>::type(JNICALL*)(JNIEnv*, jclass, typename detail::Jni<A>::type...);
  auto fn = reinterpret_cast<Fn>(function);
  if constexpr (std::is_void_v<R>) {
    fn(frame.env(), klass, frame.arg(args)...);
  } else {
    return detail::Jni<R>::out(frame, fn(frame.env(), klass, frame.arg(args)...));
  }
}

template <class R, class... A>
R Vm::callInstance(void* function, Object* self, A... args) {
  NativeFrame frame(*this);
  jobject receiver = frame.local(self);
  using Fn = typename detail::Jni<R>::type(JNICALL*)(JNIEnv*, jobject, typename detail::Jni<A>::type...);
  auto fn = reinterpret_cast<Fn>(function);
  if constexpr (std::is_void_v<R>) {
    fn(frame.env(), receiver, frame.arg(args)...);
  } else {
    return detail::Jni<R>::out(frame, fn(frame.env(), receiver, frame.arg(args)...));
  }
}

}  // namespace jnihost
