// Scoped array elements, local references and thrown exceptions: each JNI resource is given
// back exactly once, and nothing is given back that was never had.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeJni.h"
#include "QuarvoJni/JniByteElements.h"
#include "QuarvoJni/JniLocalRef.h"
#include "QuarvoJni/JniThrow.h"

namespace Quarvo {
namespace jni {
namespace {

using test::FakeJni;

TEST(JniByteElements, ReleasesTheElementsOnceWithTheChosenModeAtScopeExit) {
  for (jint mode : {jint{0}, jint{JNI_COMMIT}, jint{JNI_ABORT}}) {
    FakeJni fake;
    jbyteArray array = fake.newByteArray({1, 2, 3});
    {
      JniByteElements elements(fake.env(), array, mode);
      ASSERT_NE(elements.get(), nullptr);
      EXPECT_EQ(elements.get(), fake.lastElements());
      EXPECT_EQ(elements.get()[2], 3);
      EXPECT_TRUE(fake.releases.empty());
    }
    ASSERT_EQ(fake.releases.size(), 1u);
    EXPECT_EQ(fake.releases[0].array, array);
    EXPECT_EQ(fake.releases[0].elements, fake.lastElements());
    EXPECT_EQ(fake.releases[0].mode, mode);
  }
}

TEST(JniByteElements, NullArrayIsNeverPassedToJni) {
  FakeJni fake;
  {
    JniByteElements elements(fake.env(), nullptr, JNI_ABORT);
    EXPECT_EQ(elements.get(), nullptr);
  }
  EXPECT_TRUE(fake.calls.empty());
}

TEST(JniByteElements, ElementsThatCouldNotBeHadAreNotReleased) {
  FakeJni fake;
  fake.failByteElements = true;
  {
    JniByteElements elements(fake.env(), fake.newByteArray({1}), JNI_ABORT);
    EXPECT_EQ(elements.get(), nullptr);
  }
  EXPECT_EQ(fake.calls, std::vector<std::string>{"GetByteArrayElements"});
}

TEST(JniLocalRef, DeletesItsReferenceAtScopeExit) {
  FakeJni fake;
  jobject object = fake.newObject();
  {
    JniLocalRef<jobject> ref(fake.env(), object);
    EXPECT_TRUE(static_cast<bool>(ref));
    EXPECT_EQ(ref.get(), object);
    EXPECT_TRUE(fake.deletedLocalRefs.empty());
  }
  EXPECT_EQ(fake.deletedLocalRefs, std::vector<jobject>{object});
}

TEST(JniLocalRef, ReleasedReferenceIsHandedOverNotDeleted) {
  FakeJni fake;
  jobject object = fake.newObject();
  jobject handedOver = nullptr;
  {
    JniLocalRef<jobject> ref(fake.env(), object);
    handedOver = ref.release();
    EXPECT_FALSE(static_cast<bool>(ref));
  }
  EXPECT_EQ(handedOver, object);
  EXPECT_TRUE(fake.calls.empty());
}

TEST(JniLocalRef, NullIsNotDeleted) {
  FakeJni fake;
  { JniLocalRef<jclass> ref(fake.env(), nullptr); }
  EXPECT_TRUE(fake.calls.empty());
}

TEST(ThrowNew, RaisesTheNamedClassWithTheMessageAndDeletesTheClassReference) {
  FakeJni fake;
  fake.defineClass("java/lang/IllegalArgumentException");
  throwNew(fake.env(), "java/lang/IllegalArgumentException", "Invalid Root Key!");
  ASSERT_EQ(fake.thrown.size(), 1u);
  EXPECT_EQ(fake.thrown[0].first, "java/lang/IllegalArgumentException");
  EXPECT_EQ(fake.thrown[0].second, "Invalid Root Key!");
  ASSERT_EQ(fake.deletedLocalRefs.size(), 1u);
  EXPECT_EQ(fake.classNameOf(reinterpret_cast<jclass>(fake.deletedLocalRefs[0])),
            "java/lang/IllegalArgumentException");
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"FindClass", "ThrowNew", "DeleteLocalRef"}));
}

TEST(ThrowNew, ClassNotFoundLeavesFindClassExceptionAlone) {
  FakeJni fake;
  throwNew(fake.env(), "no/such/Class", "lost");
  EXPECT_TRUE(fake.exceptionPending);
  EXPECT_TRUE(fake.thrown.empty());
  EXPECT_EQ(fake.calls, std::vector<std::string>{"FindClass"});
}

}  // namespace
}  // namespace jni
}  // namespace Quarvo
