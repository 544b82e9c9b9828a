// The per-module class registry (see ClassRegistry.h).
#include "ClassRegistry.h"

#include <algorithm>

namespace CXX {

ClassRegistry& ClassRegistry::shared() {
  // Intentionally leaked: class records outlive every static destructor.
  static ClassRegistry* registry = new ClassRegistry();
  return *registry;
}

void ClassRegistry::add(MetaClass* record, const char* qualifiedName, const char* className) {
  platform::ScopedLock hold(lock_);
  byQualifiedName_[qualifiedName] = record;
  auto [entry, inserted] = byClassName_.emplace(className, record);
  if (!inserted) entry->second = nullptr;
}

MetaClass* ClassRegistry::withQualifiedName(std::string_view name) {
  platform::ScopedLock hold(lock_);
  auto entry = byQualifiedName_.find(name);
  return entry == byQualifiedName_.end() ? nullptr : entry->second;
}

MetaClass* ClassRegistry::withClassName(std::string_view className) {
  platform::ScopedLock hold(lock_);
  auto entry = byClassName_.find(className);
  return entry == byClassName_.end() ? nullptr : entry->second;
}

ModuleRecord* ClassRegistry::countClassInModule(uintptr_t base) {
  platform::ScopedLock hold(lock_);
  auto place = std::lower_bound(modules_.begin(), modules_.end(), base,
                                [](const ModuleRecord* m, uintptr_t b) { return m->base < b; });
  if (place == modules_.end() || (*place)->base != base)
    place = modules_.insert(place, new ModuleRecord{base, 0});
  ++(*place)->classCount;
  return *place;
}

std::vector<ModuleRecord> ClassRegistry::modules() {
  platform::ScopedLock hold(lock_);
  std::vector<ModuleRecord> copy;
  for (const ModuleRecord* m : modules_) copy.push_back(*m);
  return copy;
}

}  // namespace CXX
