// A GoogleTest fixture for tests that drive natives through the JNI host: misuse and
// -Xcheck:jni warnings fail the running test, and at the end every local reference, global
// reference and copy made during the test must have been released.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "jnihost/Library.h"
#include "jnihost/Vm.h"

namespace jnihost {

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Loads a library once per process (the VM never unloads one) and runs its JNI_OnLoad.
  static Library& library(const std::string& path);
  // A native of `lib` by JNI name; fails the test when it is not exported.
  static void* native(Library& lib, const std::string& name);

  // The exception the last native left to its caller (Java would have thrown it), taken so
  // the test's end does not report it; empty names when there was none.
  struct Thrown {
    std::string className;
    std::string message;
  };
  Thrown thrown();

  Vm& vm = Vm::instance();

 private:
  std::size_t globalsAtStart_ = 0;
  std::size_t localsAtStart_ = 0;
  std::size_t copiesAtStart_ = 0;
};

}  // namespace jnihost
