// Class records: construction and registration, instance counting, and the record of
// CXX::MetaClass itself.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "CXXRuntime/CXXBase"
#include "ClassRegistry.h"

namespace CXX {

namespace {

// "namespace::Class" in a malloc block kept for the life of the process.
const char* qualifiedName(const char* nameSpace, const char* className) {
  if (nameSpace == nullptr || *nameSpace == '\0') return className;
  size_t size = std::strlen(nameSpace) + std::strlen(className) + 3;
  char* name = static_cast<char*>(std::malloc(size));
  if (name == nullptr) throw std::bad_alloc();
  std::snprintf(name, size, "%s::%s", nameSpace, className);
  return name;
}

}  // namespace

MetaClass::MetaClass(const char* nameSpace, const char* className, MetaClass* parent,
                     size_t instanceSize)
    : superclass_(parent),
      name_(nullptr),
      instanceSize_(static_cast<uint32_t>(instanceSize)),
      liveCount_(0),
      module_(nullptr) {
  ClassRegistry& registry = ClassRegistry::shared();
  uintptr_t base = 0;
  if (platform::moduleBaseOf(this, &base)) module_ = registry.countClassInModule(base);
  name_ = qualifiedName(nameSpace, className);
  registry.add(this, name_, className);
}

MetaClass* MetaClass::metaClass() const { return &CXXMetaClassMeta::instance; }

bool MetaClass::isKindOf(const MetaClass* c) const {
  if (c == nullptr) return false;
  for (const MetaClass* record = this; record != nullptr; record = record->superclass_) {
    if (record == c) return true;
  }
  return false;
}

char* MetaClass::description() const {
  size_t size = std::strlen(name_) + 1;
  char* copy = static_cast<char*>(std::malloc(size));
  if (copy) std::memcpy(copy, name_, size);
  return copy;
}

MetaClass* MetaClass::withQualifiedName(const char* name) {
  return name ? ClassRegistry::shared().withQualifiedName(name) : nullptr;
}

MetaClass* MetaClass::withClassName(const char* className) {
  return className ? ClassRegistry::shared().withClassName(className) : nullptr;
}

std::vector<ModuleRecord> MetaClass::registeredModules() {
  return ClassRegistry::shared().modules();
}

void MetaClass::operator delete(void*) noexcept { fatalAssertion("Metaclass are static objects"); }

void* MetaClass::allocateBlock() {
  void* block = std::calloc(1, instanceSize_);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void MetaClass::instanceCreated() {
  // An ancestor counts a subclass only while that subclass has live instances, so the walk
  // stops at the first record whose count was already non-zero.
  for (MetaClass* record = this; record != nullptr; record = record->superclass_) {
    if (record->liveCount_.fetch_add(1) != 0) break;
  }
}

void MetaClass::instanceDestroyed() {
  for (MetaClass* record = this; record != nullptr; record = record->superclass_) {
    if (record->liveCount_.fetch_sub(1) != 1) break;
  }
}

}  // namespace CXX

CXXMetaClassMeta CXXMetaClassMeta::instance;

CXXMetaClassMeta::CXXMetaClassMeta() : CXX::MetaClass("CXX", "MetaClass", nullptr, sizeof(CXX::MetaClass)) {}

CXX::Object* CXXMetaClassMeta::alloc() {
  CXX::fatalAssertion("Trying to allocate abstract class CXXMetaClassMeta");
}
