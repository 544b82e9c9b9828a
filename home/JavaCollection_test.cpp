// Collection creation against the test JNI host: each failed step throws its own exception in
// place of the VM's, later steps are not tried, and no local reference outlives its use.
#include "JavaCollection.h"

#include <gtest/gtest.h>

#include "jnihost/HostTest.h"

namespace {

using jnihost::CallContext;
using jnihost::Object;
using jnihost::Value;

constexpr const char* kAdd = "(Ljava/lang/Object;)Z";

class JavaCollectionTest : public jnihost::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    // Present in every Java VM; the host only has the common ones.
    vm.defineClass("java/lang/ReflectiveOperationException", "java/lang/Exception");
    vm.defineClass("java/lang/ClassNotFoundException", "java/lang/ReflectiveOperationException");
    vm.defineClass("java/lang/InstantiationException", "java/lang/ReflectiveOperationException");
  }

  struct Outcome {
    Object* instance = nullptr;
    bool methodFound = false;
    long localsLeft = 0;  // local references the call left in its caller's frame
  };

  // newCollection called from inside a native; what it throws is read with thrown().
  Outcome create(const char* className, const char* method, const char* signature) {
    jnihost::Vm::NativeFrame frame(vm);
    const long before = static_cast<long>(vm.liveLocalRefs());
    Quarvo::JavaCollection collection = Quarvo::newCollection(frame.env(), className, method, signature);
    Outcome out;
    out.localsLeft = static_cast<long>(vm.liveLocalRefs()) - before;
    out.instance = frame.resolve(collection.instance());
    out.methodFound = collection.method() != nullptr;
    EXPECT_EQ(collection.ok(), out.instance != nullptr && out.methodFound);
    return out;
  }
};

TEST_F(JavaCollectionTest, MakesTheInstanceAndFindsItsMethod) {
  Outcome set = create("java/util/HashSet", "add", kAdd);
  ASSERT_NE(set.instance, nullptr);
  EXPECT_EQ(vm.className(set.instance), "java/util/HashSet");
  EXPECT_TRUE(set.methodFound);
  EXPECT_EQ(set.localsLeft, 1) << "only the instance stays";
  EXPECT_EQ(thrown().className, "");

  jnihost::Vm::NativeFrame frame(vm);
  Quarvo::JavaCollection map = Quarvo::newCollection(
      frame.env(), "java/util/HashMap", "put", "(Ljava/lang/Object;Ljava/lang/Object;)Ljava/lang/Object;");
  ASSERT_TRUE(map.ok());
  jstring key = frame.env()->NewStringUTF("k");
  frame.env()->DeleteLocalRef(frame.env()->CallObjectMethod(map.instance(), map.method(), key, key));
  ASSERT_EQ(vm.entries(frame.resolve(map.instance())).size(), 1u);
  frame.env()->DeleteLocalRef(key);
}

TEST_F(JavaCollectionTest, EachFailedStepThrowsItsOwnExceptionAndStops) {
  vm.defineClass("test/NoConstructor", "");
  vm.defineClass("test/RefusingConstructor").method("<init>", "()V", [](CallContext& c) {
    c.vm.throwNew("java/lang/IllegalStateException", "no");
    return Value{};
  });
  struct Case {
    const char* className;
    const char* method;
    const char* exception;
    const char* message;
  } cases[] = {
      {"test/Absent", "add", "java/lang/ClassNotFoundException", "Class not found"},
      {"test/NoConstructor", "add", "java/lang/NoSuchMethodError", "Constructor not found"},
      {"test/RefusingConstructor", "add", "java/lang/InstantiationException", "Create instance failed"},
      {"java/util/HashSet", "addAll", "java/lang/NoSuchMethodError", "Cannot found method"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.className);
    vm.clearCalls();
    Outcome out = create(c.className, c.method, kAdd);
    EXPECT_EQ(out.instance, nullptr);
    EXPECT_EQ(out.localsLeft, 0);
    Thrown e = thrown();
    EXPECT_EQ(e.className, c.exception);
    EXPECT_EQ(e.message, c.message);
  }
}

TEST_F(JavaCollectionTest, AMethodWithAnotherSignatureIsNotFound) {
  Outcome out = create("java/util/HashSet", "add", "(Ljava/lang/String;)Z");
  EXPECT_FALSE(out.methodFound);
  EXPECT_EQ(thrown().message, "Cannot found method");
}

TEST_F(JavaCollectionTest, AnInstanceTheVmCannotAllocateIsAnInstantiationFailure) {
  vm.failAllocationAt(1);
  Outcome out = create("java/util/HashSet", "add", kAdd);
  EXPECT_EQ(out.instance, nullptr);
  EXPECT_EQ(out.localsLeft, 0);
  Thrown e = thrown();
  EXPECT_EQ(e.className, "java/lang/InstantiationException");
  EXPECT_EQ(e.message, "Create instance failed");
}

}  // namespace
