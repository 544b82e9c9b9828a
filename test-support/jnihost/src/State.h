// The host VM's insides: the heap, references, threads, copies handed to natives, and the
// guard every JNI function enters through. One lock guards it all; methods implemented in C++
// run without it, so they may call back into JNI or wait for other threads.
#pragma once

#include <jni.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "jnihost/Vm.h"

namespace jnihost {

struct ClassData;

struct MethodData {
  std::string name;
  std::string sig;
  bool isStatic = false;
  bool removed = false;
  Callable body;
  Object* owner = nullptr;  // the class object
};

struct ClassData {
  std::string name;
  Object* super = nullptr;
  std::deque<MethodData> methods;  // a deque: jmethodIDs point into it
  std::unique_ptr<Class> handle;
};

enum class Kind { Instance, String, ByteArray, Class };

class Object {
 public:
  Object(Kind k, Object* cls) : kind(k), klass(cls) {}
  Kind kind;
  Object* klass;                                     // its class object
  std::u16string text;                               // String
  std::vector<jbyte> bytes;                          // byte[]
  std::vector<Object*> items;                        // ArrayList, HashSet
  std::vector<std::pair<Object*, Object*>> entries;  // HashMap
  std::string message;                               // Throwable
  std::unique_ptr<ClassData> classData;              // Class
};

struct ThreadState;

struct Ref {
  Object* object = nullptr;
  bool global = false;
  bool live = true;
  ThreadState* owner = nullptr;  // locals only
};

struct Frame {
  std::vector<Ref*> refs;
  std::size_t capacity = 16;
  bool warned = false;
  bool pushed = false;  // by PushLocalFrame, so PopLocalFrame may take it
};

// The JNIEnv a native receives is the address of `env`: its first member is the function table.
struct EnvImpl {
  const JNINativeInterface_* functions;
  ThreadState* thread;
};

struct ThreadState {
  EnvImpl env;
  std::thread::id id;
  bool attached = true;
  std::vector<Frame> frames;
  Object* pending = nullptr;
  // Set by a call into Java, cleared by looking for an exception: the next other JNI call
  // before that gets -Xcheck:jni's warning.
  std::string uncheckedCall;
};

struct JavaVmImpl {
  const JNIInvokeInterface_* functions;
};

enum class CopyKind { StringUtfChars, StringChars, ByteElements };

struct Copy {
  CopyKind kind;
  Object* source;
};

struct Vm::State {
  State();

  std::recursive_mutex mu;
  JNINativeInterface_ functions{};
  JNIInvokeInterface_ invoke{};
  JavaVmImpl javaVm{};

  std::deque<std::unique_ptr<Object>> heap;
  std::map<std::string, Object*> classes;
  Object* classClass = nullptr;  // java/lang/Class

  std::deque<std::unique_ptr<Ref>> refs;
  std::unordered_set<const Ref*> knownRefs;
  std::size_t liveLocals = 0;
  std::size_t liveGlobals = 0;

  std::map<std::thread::id, ThreadState*> attached;
  std::deque<std::unique_ptr<ThreadState>> threads;  // never freed: a stale env stays readable

  std::unordered_map<const void*, Copy> copies;

  std::vector<CallRecord> calls;
  std::vector<std::string> warnings;
  std::function<void(const std::string&)> onMisuse;
  std::function<void(const std::string&)> onWarning;
  int failAt = 0;
  int allocations = 0;
  bool failAttach = false;
  Object* thrown = nullptr;

  // --- heap
  Object* allocate(Kind kind, Object* cls);
  Object* findClass(const std::string& name) const;
  Object* defineClass(const std::string& name, const std::string& superName);
  bool isSubclass(Object* cls, const std::string& ancestor) const;
  MethodData* findMethod(Object* cls, const std::string& name, const std::string& sig, bool isStatic);
  Object* newThrowable(const std::string& className, const std::string& message);

  // --- threads and references
  ThreadState* current();
  ThreadState* attachCurrent();
  void detach(ThreadState* t);
  jobject newLocal(ThreadState* t, Object* o);
  jobject newGlobal(Object* o);
  void kill(Ref* r);
  void popFrame(ThreadState* t);
  // The object behind a reference, or null after reporting misuse (`bad` set).
  Object* resolve(ThreadState* t, jobject ref, const char* function, bool* bad);

  // --- checks and faults
  void misuse(const std::string& what);
  void warn(const std::string& what);
  // Counts an allocating call; true when this one is to fail.
  bool allocationFails();
  void throwOutOfMemory(ThreadState* t, const char* function);
};

// Entered by every JNI function: takes the lock, finds the caller's thread, checks the
// environment belongs to it and (unless the function is one of those JNI allows then) that no
// exception is pending. `ok` is false after misuse; the function then returns a neutral value.
class Entry {
 public:
  Entry(JNIEnv* env, const char* function, bool allowedWithPending = false);
  Entry(const Entry&) = delete;
  Entry& operator=(const Entry&) = delete;

  Vm::State& s;
  ThreadState* t = nullptr;
  const char* function;
  bool ok = false;

  // The object behind a reference (null for null); sets ok = false on a bad one.
  Object* object(jobject ref);
  jobject local(Object* o) { return s.newLocal(t, o); }
  void throwNew(const std::string& className, const std::string& message);
  void outOfMemory() { s.throwOutOfMemory(t, function); }

  std::unique_lock<std::recursive_mutex> lock;
};

Vm::State& state();

// Installers of the JNI functions, one per family.
void installStringFunctions(JNINativeInterface_& f);
void installArrayFunctions(JNINativeInterface_& f);
void installClassFunctions(JNINativeInterface_& f);
void installExceptionFunctions(JNINativeInterface_& f);
void installReferenceFunctions(JNINativeInterface_& f);
void installInvokeFunctions(JNINativeInterface_& f, JNIInvokeInterface_& invoke);
void installTraps(JNINativeInterface_& f, JNIInvokeInterface_& invoke);
void defineStandInClasses(Vm::State& s);

// Strings compare by text, everything else by identity (stand-in collections).
bool javaEquals(const Object* a, const Object* b);

}  // namespace jnihost
