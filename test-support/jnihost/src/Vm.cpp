// The host's public face: what tests do on the Java side of a call.
#include <cstdio>

#include "State.h"
#include "jnihost/ModifiedUtf8.h"

namespace jnihost {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

}  // namespace

Vm::State& state() { return *Vm::instance().state_; }

Vm& Vm::instance() {
  // Never destroyed: loaded libraries and threads may touch it until the process ends.
  static Vm* vm = new Vm();
  return *vm;
}

Vm::Vm() : state_(std::make_unique<State>()) {
  Lock lock(state_->mu);
  state_->attachCurrent();
}

Vm::~Vm() = default;

JavaVM* Vm::javaVm() { return reinterpret_cast<JavaVM*>(&state_->javaVm); }

JNIEnv* Vm::env() {
  Lock lock(state_->mu);
  return reinterpret_cast<JNIEnv*>(&state_->attachCurrent()->env);
}

Object* Vm::newString(const std::u16string& text) {
  Lock lock(state_->mu);
  Object* o = state_->allocate(Kind::String, state_->findClass("java/lang/String"));
  o->text = text;
  return o;
}

Object* Vm::newStringFromUtf8(const std::string& utf8) { return newString(fromUtf8(utf8)); }

Object* Vm::newByteArray(const std::vector<std::uint8_t>& bytes) {
  Lock lock(state_->mu);
  Object* o = state_->allocate(Kind::ByteArray, state_->findClass("[B"));
  o->bytes.assign(bytes.begin(), bytes.end());
  return o;
}

Object* Vm::newInstance(const std::string& className) {
  Lock lock(state_->mu);
  return state_->allocate(Kind::Instance, state_->defineClass(className, "java/lang/Object"));
}

bool Vm::isString(Object* o) const { return o != nullptr && o->kind == Kind::String; }

std::u16string Vm::text(Object* string) const {
  Lock lock(state_->mu);
  return string == nullptr ? std::u16string() : string->text;
}

std::string Vm::utf8(Object* string) const { return toUtf8(text(string)); }

std::vector<std::uint8_t> Vm::bytes(Object* byteArray) const {
  Lock lock(state_->mu);
  if (byteArray == nullptr) return {};
  return std::vector<std::uint8_t>(byteArray->bytes.begin(), byteArray->bytes.end());
}

std::string Vm::className(Object* o) const {
  Lock lock(state_->mu);
  return o == nullptr ? std::string() : o->klass->classData->name;
}

std::vector<Object*> Vm::elements(Object* collection) const {
  Lock lock(state_->mu);
  return collection == nullptr ? std::vector<Object*>() : collection->items;
}

std::vector<std::pair<Object*, Object*>> Vm::entries(Object* map) const {
  Lock lock(state_->mu);
  return map == nullptr ? std::vector<std::pair<Object*, Object*>>() : map->entries;
}

std::string Vm::exceptionMessage(Object* throwable) const {
  Lock lock(state_->mu);
  return throwable == nullptr ? std::string() : throwable->message;
}

Class& Vm::defineClass(const std::string& name, const std::string& superName) {
  Lock lock(state_->mu);
  return *state_->defineClass(name, superName)->classData->handle;
}

bool Vm::hasClass(const std::string& name) const {
  Lock lock(state_->mu);
  return state_->findClass(name) != nullptr;
}

std::vector<CallRecord> Vm::calls() const {
  Lock lock(state_->mu);
  return state_->calls;
}

void Vm::clearCalls() {
  Lock lock(state_->mu);
  state_->calls.clear();
}

void Vm::throwNew(const std::string& className, const std::string& message) {
  Lock lock(state_->mu);
  ThreadState* t = state_->current();
  if (t == nullptr) {
    state_->misuse("an exception thrown on a thread that is not attached");
    return;
  }
  t->pending = state_->newThrowable(className, message);
}

Object* Vm::takeThrown() {
  Lock lock(state_->mu);
  Object* thrown = state_->thrown;
  state_->thrown = nullptr;
  return thrown;
}

std::size_t Vm::liveLocalRefs() const {
  Lock lock(state_->mu);
  return state_->liveLocals;
}

std::size_t Vm::liveGlobalRefs() const {
  Lock lock(state_->mu);
  return state_->liveGlobals;
}

std::size_t Vm::unreleasedCopies() const {
  Lock lock(state_->mu);
  return state_->copies.size();
}

void Vm::setMisuseHandler(std::function<void(const std::string&)> handler) {
  Lock lock(state_->mu);
  state_->onMisuse = std::move(handler);
}

void Vm::setWarningHandler(std::function<void(const std::string&)> handler) {
  Lock lock(state_->mu);
  state_->onWarning = std::move(handler);
}

std::vector<std::string> Vm::warnings() const {
  Lock lock(state_->mu);
  return state_->warnings;
}

void Vm::failAllocationAt(int n) {
  Lock lock(state_->mu);
  state_->failAt = n;
}

int Vm::allocatingCalls() const {
  Lock lock(state_->mu);
  return state_->allocations;
}

void Vm::failNextAttach() {
  Lock lock(state_->mu);
  state_->failAttach = true;
}

void Vm::reset() {
  Lock lock(state_->mu);
  state_->calls.clear();
  state_->warnings.clear();
  state_->failAt = 0;
  state_->allocations = 0;
  state_->failAttach = false;
  state_->thrown = nullptr;
}

Vm::NativeFrame::NativeFrame(Vm& vm) : vm_(vm) {
  Lock lock(vm_.state_->mu);
  ThreadState* t = vm_.state_->attachCurrent();
  t->frames.emplace_back();
  env_ = reinterpret_cast<JNIEnv*>(&t->env);
}

Vm::NativeFrame::~NativeFrame() {
  State& s = *vm_.state_;
  Lock lock(s.mu);
  ThreadState* t = s.current();
  if (t == nullptr) {
    s.misuse("a native detached the thread it was called on");
    return;
  }
  if (t->frames.back().pushed) s.misuse("a native returned with a local frame still pushed");
  while (t->frames.back().pushed) s.popFrame(t);
  // What is pending when a native returns is thrown in its Java caller.
  s.thrown = t->pending;
  t->pending = nullptr;
  t->uncheckedCall.clear();
  s.popFrame(t);
}

jobject Vm::NativeFrame::local(Object* o) {
  Lock lock(vm_.state_->mu);
  return vm_.state_->newLocal(vm_.state_->current(), o);
}

jclass Vm::NativeFrame::classRef(const std::string& className) {
  Lock lock(vm_.state_->mu);
  Object* cls = vm_.state_->defineClass(className, "java/lang/Object");
  return static_cast<jclass>(vm_.state_->newLocal(vm_.state_->current(), cls));
}

Object* Vm::NativeFrame::resolve(jobject ref) {
  State& s = *vm_.state_;
  Lock lock(s.mu);
  bool bad = false;
  return s.resolve(s.current(), ref, "the value a native returned", &bad);
}

Class& Class::method(const std::string& name, const std::string& sig, Callable body) {
  Lock lock(*mu_);
  object_->classData->methods.push_back(MethodData{name, sig, false, false, std::move(body), object_});
  return *this;
}

Class& Class::staticMethod(const std::string& name, const std::string& sig, Callable body) {
  Lock lock(*mu_);
  object_->classData->methods.push_back(MethodData{name, sig, true, false, std::move(body), object_});
  return *this;
}

Class& Class::remove(const std::string& name, const std::string& sig) {
  Lock lock(*mu_);
  for (MethodData& m : object_->classData->methods) {
    if (m.name == name && m.sig == sig) m.removed = true;
  }
  return *this;
}

const std::string& Class::name() const { return object_->classData->name; }

}  // namespace jnihost
