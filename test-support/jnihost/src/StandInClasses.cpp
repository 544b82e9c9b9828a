// The classes every VM has that our natives use: String, Class, the collections they fill, and
// the exceptions they or the VM throw. The collections keep their elements for tests to read.
#include "State.h"

namespace jnihost {

namespace {

Value none(CallContext&) { return Value{}; }

bool contains(const std::vector<Object*>& items, const Object* o) {
  for (const Object* each : items) {
    if (javaEquals(each, o)) return true;
  }
  return false;
}

// Method bodies touch the heap under the host's lock; they run with it released otherwise.
template <class F>
Value locked(F f) {
  std::lock_guard<std::recursive_mutex> lock(state().mu);
  return f();
}

void defineCollections(Vm::State& s) {
  Class& list = *s.defineClass("java/util/ArrayList", "java/lang/Object")->classData->handle;
  list.method("<init>", "()V", none)
      .method("add", "(Ljava/lang/Object;)Z", [](CallContext& c) {
        return locked([&] {
          c.self->items.push_back(c.args[0].object);
          return Value::of(std::int64_t{1});
        });
      })
      .method("size", "()I", [](CallContext& c) {
        return locked([&] { return Value::of(static_cast<std::int64_t>(c.self->items.size())); });
      });

  Class& set = *s.defineClass("java/util/HashSet", "java/lang/Object")->classData->handle;
  set.method("<init>", "()V", none)
      .method("add", "(Ljava/lang/Object;)Z", [](CallContext& c) {
        return locked([&] {
          if (contains(c.self->items, c.args[0].object)) return Value::of(std::int64_t{0});
          c.self->items.push_back(c.args[0].object);
          return Value::of(std::int64_t{1});
        });
      })
      .method("contains", "(Ljava/lang/Object;)Z", [](CallContext& c) {
        return locked([&] { return Value::of(std::int64_t{contains(c.self->items, c.args[0].object) ? 1 : 0}); });
      })
      .method("size", "()I", [](CallContext& c) {
        return locked([&] { return Value::of(static_cast<std::int64_t>(c.self->items.size())); });
      });

  Class& map = *s.defineClass("java/util/HashMap", "java/lang/Object")->classData->handle;
  map.method("<init>", "()V", none)
      .method("put", "(Ljava/lang/Object;Ljava/lang/Object;)Ljava/lang/Object;", [](CallContext& c) {
        return locked([&] {
          for (auto& entry : c.self->entries) {
            if (!javaEquals(entry.first, c.args[0].object)) continue;
            Object* previous = entry.second;
            entry.second = c.args[1].object;
            return Value::of(previous);
          }
          c.self->entries.emplace_back(c.args[0].object, c.args[1].object);
          return Value::of(static_cast<Object*>(nullptr));
        });
      })
      .method("size", "()I", [](CallContext& c) {
        return locked([&] { return Value::of(static_cast<std::int64_t>(c.self->entries.size())); });
      });
}

void defineThrowables(Vm::State& s) {
  Class& throwable = *s.defineClass("java/lang/Throwable", "java/lang/Object")->classData->handle;
  throwable.method("<init>", "()V", none)
      .method("<init>", "(Ljava/lang/String;)V", [](CallContext& c) {
        return locked([&] {
          if (c.args[0].object != nullptr) c.self->message = c.vm.utf8(c.args[0].object);
          return Value{};
        });
      })
      .method("getMessage", "()Ljava/lang/String;", [](CallContext& c) {
        return Value::of(c.vm.newStringFromUtf8(c.vm.exceptionMessage(c.self)));
      });
  const char* hierarchy[][2] = {
      {"java/lang/Exception", "java/lang/Throwable"},
      {"java/lang/RuntimeException", "java/lang/Exception"},
      {"java/lang/IllegalArgumentException", "java/lang/RuntimeException"},
      {"java/lang/IllegalStateException", "java/lang/RuntimeException"},
      {"java/lang/NullPointerException", "java/lang/RuntimeException"},
      {"java/lang/UnsupportedOperationException", "java/lang/RuntimeException"},
      {"java/lang/IndexOutOfBoundsException", "java/lang/RuntimeException"},
      {"java/lang/ArrayIndexOutOfBoundsException", "java/lang/IndexOutOfBoundsException"},
      {"java/lang/StringIndexOutOfBoundsException", "java/lang/IndexOutOfBoundsException"},
      {"java/lang/NegativeArraySizeException", "java/lang/RuntimeException"},
      {"java/lang/Error", "java/lang/Throwable"},
      {"java/lang/VirtualMachineError", "java/lang/Error"},
      {"java/lang/OutOfMemoryError", "java/lang/VirtualMachineError"},
      {"java/lang/LinkageError", "java/lang/Error"},
      {"java/lang/NoClassDefFoundError", "java/lang/LinkageError"},
      {"java/lang/IncompatibleClassChangeError", "java/lang/LinkageError"},
      {"java/lang/NoSuchMethodError", "java/lang/IncompatibleClassChangeError"},
  };
  for (auto& pair : hierarchy) s.defineClass(pair[0], pair[1]);
}

}  // namespace

void defineStandInClasses(Vm::State& s) {
  Object* object = s.defineClass("java/lang/Object", "");
  s.classClass = s.defineClass("java/lang/Class", "java/lang/Object");
  // Class objects made before java/lang/Class existed get it now.
  object->klass = s.classClass;
  s.classClass->klass = s.classClass;
  object->classData->handle->method("<init>", "()V", none);
  s.defineClass("java/lang/String", "java/lang/Object");
  s.defineClass("[B", "java/lang/Object");
  defineCollections(s);
  defineThrowables(s);
}

}  // namespace jnihost
