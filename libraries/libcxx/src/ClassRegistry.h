// The class registry of one module: name tables and the list of modules holding class records.
// Created by the first class record constructed and never destroyed, since records register
// from static initialisers in any order and stay registered until the process ends.
#pragma once

#include <string_view>
#include <unordered_map>
#include <vector>

#include "CXXRuntime/MetaClass.h"
#include "CXXRuntime/Platform.h"

namespace CXX {

class ClassRegistry {
 public:
  static ClassRegistry& shared();

  // Enters record under its qualified name (replacing an earlier entry) and its bare class
  // name (where a second class with the same bare name makes the entry ambiguous).
  void add(MetaClass* record, const char* qualifiedName, const char* className);
  MetaClass* withQualifiedName(std::string_view name);
  MetaClass* withClassName(std::string_view className);

  // The module record for the module at base, created in ascending base order; counts one
  // more class record from that module.
  ModuleRecord* countClassInModule(uintptr_t base);
  std::vector<ModuleRecord> modules();

 private:
  // The spin count suits a lock held for a few table operations.
  static constexpr uint32_t kSpinCount = 4000;

  ClassRegistry() : lock_(kSpinCount) {}

  platform::CriticalSection lock_;
  std::unordered_map<std::string_view, MetaClass*> byQualifiedName_;
  std::unordered_map<std::string_view, MetaClass*> byClassName_;
  std::vector<ModuleRecord*> modules_;  // sorted by base; records are never freed
};

}  // namespace CXX
