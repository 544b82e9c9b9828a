// CXX::MetaClass: the static class record of a runtime class, and the macros that give a class
// its nested X::_MetaClass record.
//
// Every runtime class X declares CXX_DECLARE_CLASS(X) in its body and defines its record once
// with CXX_DEFINE_CLASS (or CXX_DEFINE_ABSTRACT_CLASS) in its source file. The record knows the
// qualified name, the parent record, the instance size and the number of live instances, and
// creates instances with alloc(). Records register themselves in the module's class registry
// while the module's static initialisers run.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "CXXRuntime/Type.h"

class CXXMetaClassMeta;

namespace CXX {

class Object;

// One loaded module (executable or library) that holds class records.
struct ModuleRecord {
  uintptr_t base;       // the module's load address
  uint32_t classCount;  // class records registered from it
};

class MetaClass : public Type {
 public:
  using _MetaClass = ::CXXMetaClassMeta;

  // Class records are static: counting does nothing.
  void retain() override {}
  void release() override {}
  int64_t retainCount() const override { return 0; }
  MetaClass* metaClass() const override;
  MetaClass* superclass() const override { return superclass_; }
  // True when c is this class or one of its ancestors; false for null.
  bool isKindOf(const MetaClass* c) const override;
  bool isMemberOf(const MetaClass* c) const override { return c == this; }
  // A malloc copy of the qualified name.
  char* description() const override;
  ~MetaClass() override = default;

  // Creates one instance with a count of 1, owned by the caller.
  virtual Object* alloc() = 0;

  const char* name() const { return name_; }
  uint32_t instanceSize() const { return instanceSize_; }
  int32_t liveCount() const { return liveCount_.load(); }
  const ModuleRecord* module() const { return module_; }

  // Registry look-ups; null when unknown or, for a bare class name, ambiguous.
  static MetaClass* withQualifiedName(const char* name);
  static MetaClass* withClassName(const char* className);
  // The modules that registered class records, by ascending base address.
  static std::vector<ModuleRecord> registeredModules();

  // Class records are never heap objects; deleting one is a fatal error.
  static void operator delete(void* block) noexcept;

 protected:
  MetaClass(const char* nameSpace, const char* className, MetaClass* parent, size_t instanceSize);

  // calloc's one instance block; throws std::bad_alloc.
  void* allocateBlock();
  // Counts a new instance here and, while counts leave zero, in the ancestors.
  void instanceCreated();

 private:
  friend class Object;
  void instanceDestroyed();

  MetaClass* superclass_;
  const char* name_;
  uint32_t instanceSize_;
  std::atomic<int32_t> liveCount_;
  ModuleRecord* module_;
};

// Typed allocation through a class's record: CXX::alloc<CXX::MallocBuffer>().
template <class X>
X* alloc() {
  return static_cast<X*>(X::_MetaClass::instance.alloc());
}

}  // namespace CXX

// The class of class records; its one instance is the record of CXX::MetaClass itself.
class CXXMetaClassMeta final : public CXX::MetaClass {
 public:
  static CXXMetaClassMeta instance;
  CXX::Object* alloc() override;

 private:
  CXXMetaClassMeta();
};

// In the body of runtime class X: its nested record type and metaClass().
#define CXX_DECLARE_CLASS(X)                                                        \
 public:                                                                            \
  class _MetaClass final : public ::CXX::MetaClass {                                \
   public:                                                                          \
    static _MetaClass instance;                                                     \
    ::CXX::Object* alloc() override;                                                \
                                                                                    \
   private:                                                                         \
    _MetaClass();                                                                   \
  };                                                                                \
  ::CXX::MetaClass* metaClass() const override { return &_MetaClass::instance; }    \
                                                                                    \
 private:

// In X's source file: the record of a concrete class. PARENT is the parent class (or void).
#define CXX_DEFINE_CLASS(X, NAMESPACE, CLASS_NAME, PARENT)                          \
  X::_MetaClass X::_MetaClass::instance;                                            \
  X::_MetaClass::_MetaClass()                                                       \
      : ::CXX::MetaClass(NAMESPACE, CLASS_NAME, ::CXX::recordOf<PARENT>(), sizeof(X)) {} \
  ::CXX::Object* X::_MetaClass::alloc() {                                           \
    X* object = new (allocateBlock()) X();                                          \
    instanceCreated();                                                              \
    return object;                                                                  \
  }

// In X's source file: the record of an abstract class; alloc() is a fatal error whose text is
// "Trying to allocate abstract class " followed by ABSTRACT_NAME.
#define CXX_DEFINE_ABSTRACT_CLASS(X, NAMESPACE, CLASS_NAME, PARENT, ABSTRACT_NAME)  \
  X::_MetaClass X::_MetaClass::instance;                                            \
  X::_MetaClass::_MetaClass()                                                       \
      : ::CXX::MetaClass(NAMESPACE, CLASS_NAME, ::CXX::recordOf<PARENT>(), sizeof(X)) {} \
  ::CXX::Object* X::_MetaClass::alloc() {                                           \
    ::CXX::fatalAssertion("Trying to allocate abstract class " ABSTRACT_NAME);      \
  }

namespace CXX {
// The record of class X, or null for void (a root class). Only the address is taken, so the
// parent's record need not be constructed yet.
template <class X>
MetaClass* recordOf() {
  return &X::_MetaClass::instance;
}
template <>
inline MetaClass* recordOf<void>() {
  return nullptr;
}
}  // namespace CXX
