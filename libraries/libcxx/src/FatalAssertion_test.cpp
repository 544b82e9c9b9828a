// Broken object-model invariants end the process with exactly one line on standard output,
// naming CXXRuntime/CXXBase and line 101.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "CXXRuntime/CXXBase"
#include "test_platform.h"

namespace {

// Its dealloc keeps the block, so a second release reaches a negative count without touching
// freed memory.
class Immortal : public CXX::Object {
  CXX_DECLARE_CLASS(Immortal)
 public:
  void dealloc() override {}
};

}  // namespace

CXX_DEFINE_CLASS(Immortal, "probe", "Immortal", CXX::Object)

namespace {

// The whole captured output must be the assertion line. Only syntax that both POSIX regular
// expressions and GoogleTest's simple Windows ones read alike; the line end is a real CR
// (optional: the Windows runtime writes CR LF) and LF.
std::string assertionLine(const std::string& text) {
  return "^.*CXXRuntime.CXXBase:101: failed assertion `" + text + "'\r?\n$";
}

class FatalAssertion : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(FatalAssertion, OverReleasedObject) {
  EXPECT_DEATH(
      {
        CXX::testing::sendStdoutToDeathTestStream();
        Immortal* object = CXX::alloc<Immortal>();
        object->release();
        object->release();
      },
      assertionLine("over released object"));
}

TEST_F(FatalAssertion, AllocatingAbstractClasses) {
  EXPECT_DEATH(
      {
        CXX::testing::sendStdoutToDeathTestStream();
        CXX::Object::_MetaClass::instance.alloc();
      },
      assertionLine("Trying to allocate abstract class CXX::Object"));
  EXPECT_DEATH(
      {
        CXX::testing::sendStdoutToDeathTestStream();
        CXXMetaClassMeta::instance.alloc();
      },
      assertionLine("Trying to allocate abstract class CXXMetaClassMeta"));
  EXPECT_DEATH(
      {
        CXX::testing::sendStdoutToDeathTestStream();
        CXX::Buffer::_MetaClass::instance.alloc();
      },
      assertionLine("Trying to allocate abstract class CXX:: Buffer"));
}

TEST_F(FatalAssertion, DeletingAClassRecord) {
  EXPECT_DEATH(
      {
        CXX::testing::sendStdoutToDeathTestStream();
        // Found through the registry so the compiler cannot see the object is static.
        CXX::Type* record = CXX::MetaClass::withQualifiedName("probe::Immortal");
        delete record;
      },
      assertionLine("Metaclass are static objects"));
}

TEST_F(FatalAssertion, LineGoesToStandardOutputNotStandardError) {
  // Without the redirection the death test sees standard error only (where the Windows
  // runtime's abort() adds its own notice), which must not carry the assertion line.
  EXPECT_DEATH(
      {
        Immortal* object = CXX::alloc<Immortal>();
        object->release();
        object->release();
      },
      ::testing::Not(::testing::HasSubstr("failed assertion")));
}

}  // namespace
