#include "jnihost/HostTest.h"

#include <cstdio>
#include <cstdlib>
#include <map>

namespace jnihost {

void HostTest::SetUp() {
  vm.reset();
  vm.setMisuseHandler([](const std::string& what) { ADD_FAILURE() << "JNI misuse: " << what; });
  vm.setWarningHandler([](const std::string& what) { ADD_FAILURE() << "JNI warning: " << what; });
  globalsAtStart_ = vm.liveGlobalRefs();
  localsAtStart_ = vm.liveLocalRefs();
  copiesAtStart_ = vm.unreleasedCopies();
}

void HostTest::TearDown() {
  EXPECT_EQ(vm.liveLocalRefs(), localsAtStart_) << "local references left alive";
  EXPECT_EQ(vm.liveGlobalRefs(), globalsAtStart_) << "global references never deleted";
  EXPECT_EQ(vm.unreleasedCopies(), copiesAtStart_) << "string or array copies never released";
  Object* left = vm.takeThrown();
  EXPECT_EQ(left, nullptr) << "a native left " << vm.className(left) << " (" << vm.exceptionMessage(left)
                           << ") that the test did not look at";
  vm.reset();
}

Library& HostTest::library(const std::string& path) {
  static std::map<std::string, std::unique_ptr<Library>> loaded;
  auto& lib = loaded[path];
  if (!lib) {
    std::string error;
    lib = Library::load(path, &error);
    if (!lib) {
      std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), error.c_str());
      std::abort();
    }
    lib->onLoad();
  }
  return *lib;
}

void* HostTest::native(Library& lib, const std::string& name) {
  void* fn = lib.symbol(name);
  if (fn == nullptr) ADD_FAILURE() << name << " is not exported";
  return fn;
}

HostTest::Thrown HostTest::thrown() {
  Object* taken = vm.takeThrown();
  return Thrown{vm.className(taken), vm.exceptionMessage(taken)};
}

}  // namespace jnihost
