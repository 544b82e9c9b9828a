// The handler against a scripted Java queue in the test JNI host: what reaches Java, and that
// nothing Java does (a missing or throwing callback, an allocation failure) leaves an exception
// pending or a reference alive on the queue thread.
#include "AppEventHandler.h"

#include <gtest/gtest.h>

#include <thread>

#include "jnihost/HostTest.h"

namespace {

using jnihost::CallContext;
using jnihost::Value;

class AppEventHandlerTest : public jnihost::HostTest {
 protected:
  void TearDown() override {
    if (target_ != nullptr) vm.env()->DeleteGlobalRef(target_);
    HostTest::TearDown();
  }

  // A handler whose target is an instance of `className`, made global as the queue does.
  AppEventHandler handler(const std::string& className) {
    {
      jnihost::Vm::NativeFrame frame(vm);
      target_ = frame.env()->NewGlobalRef(frame.local(vm.newInstance(className)));
    }
    return AppEventHandler(vm.env(), target_);
  }

  static Value answer(bool allow) { return Value::of(std::int64_t{allow ? 1 : 0}); }

  jobject target_ = nullptr;
};

TEST_F(AppEventHandlerTest, ForwardsEachCallbackWithItsArguments) {
  vm.defineClass("test/QueueRefusing")
      .method("shouldStartApplication", "(JLjava/lang/String;Ljava/lang/String;)Z",
              [](CallContext& c) { return answer(c.vm.utf8(c.args[1].object) != "c:\\games\\x.exe"); })
      .method("didStartApplication", "(JLjava/lang/String;Ljava/lang/String;)V", [](CallContext&) { return Value{}; })
      .method("didStopApplication", "(J)V", [](CallContext&) { return Value{}; });
  AppEventHandler h = handler("test/QueueRefusing");
  EXPECT_FALSE(h.shouldStartApplication(0xFFFFFFFFu, u"c:\\games\\x.exe", u"root"));
  EXPECT_TRUE(h.shouldStartApplication(7, u"pkg:family_x", nullptr));
  h.didStartApplication(7, u"pkg:family_x", nullptr);
  h.didStopApplication(0x80000000u);

  std::vector<jnihost::CallRecord> calls = vm.calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].args[0].number, 4294967295LL) << "process ids are zero-extended";
  EXPECT_EQ(vm.utf8(calls[0].args[2].object), "root");
  EXPECT_EQ(calls[1].args[2].object, nullptr) << "a null user is a null string";
  EXPECT_EQ(calls[2].methodName, "didStartApplication");
  EXPECT_EQ(vm.utf8(calls[2].args[1].object), "pkg:family_x");
  EXPECT_EQ(calls[3].args[0].number, 2147483648LL);
  EXPECT_EQ(calls[3].thread, std::this_thread::get_id());
}

TEST_F(AppEventHandlerTest, AMissingDecisionAllowsAndTheReportsStillGo) {
  vm.defineClass("test/QueueReportsOnly")
      .method("didStartApplication", "(JLjava/lang/String;Ljava/lang/String;)V", [](CallContext&) { return Value{}; });
  AppEventHandler h = handler("test/QueueReportsOnly");
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(h.shouldStartApplication(1, u"c:\\a.exe", u"root"));
    h.didStartApplication(1, u"c:\\a.exe", u"root");
    h.didStopApplication(1);
  }
  EXPECT_EQ(vm.calls().size(), 3u);
  EXPECT_FALSE(vm.env()->ExceptionCheck());
}

TEST_F(AppEventHandlerTest, ThrowingCallbacksAllowAndLeaveNothingPending) {
  auto thrower = [](CallContext& c) {
    c.vm.throwNew("java/lang/IllegalStateException", "service busy");
    return Value::of(std::int64_t{0});
  };
  vm.defineClass("test/QueueThrowing")
      .method("shouldStartApplication", "(JLjava/lang/String;Ljava/lang/String;)Z", thrower)
      .method("didStartApplication", "(JLjava/lang/String;Ljava/lang/String;)V", thrower)
      .method("didStopApplication", "(J)V", thrower);
  AppEventHandler h = handler("test/QueueThrowing");
  EXPECT_TRUE(h.shouldStartApplication(1, u"c:\\a.exe", u"root"));
  EXPECT_FALSE(vm.env()->ExceptionCheck());
  h.didStartApplication(1, u"c:\\a.exe", u"root");
  h.didStopApplication(1);
  EXPECT_FALSE(vm.env()->ExceptionCheck());
  EXPECT_EQ(vm.calls().size(), 3u) << "a throwing callback is called again next time";
}

TEST_F(AppEventHandlerTest, ManyEventsLeaveNoLocalReferences) {
  vm.defineClass("test/QueueCounting")
      .method("shouldStartApplication", "(JLjava/lang/String;Ljava/lang/String;)Z",
              [](CallContext&) { return answer(true); })
      .method("didStopApplication", "(J)V", [](CallContext&) { return Value{}; });
  AppEventHandler h = handler("test/QueueCounting");
  std::size_t before = vm.liveLocalRefs();
  for (int i = 0; i < 2000; ++i) {
    h.shouldStartApplication(i, u"c:\\program files\\app\\app.exe", u"root");
    h.didStopApplication(i);
  }
  EXPECT_EQ(vm.liveLocalRefs(), before);
}

TEST_F(AppEventHandlerTest, AllocationFailuresAllowAndLeaveNothingPending) {
  vm.defineClass("test/QueueAllocating")
      .method("shouldStartApplication", "(JLjava/lang/String;Ljava/lang/String;)Z",
              [](CallContext&) { return answer(false); });
  AppEventHandler h = handler("test/QueueAllocating");
  h.shouldStartApplication(1, u"warm-up: the method id is cached", u"root");
  for (int n = 1; n <= 3; ++n) {
    vm.reset();
    vm.failAllocationAt(n);
    EXPECT_TRUE(h.shouldStartApplication(1, u"c:\\a.exe", u"root")) << "allocation " << n;
    EXPECT_FALSE(vm.env()->ExceptionCheck());
    EXPECT_TRUE(vm.calls().empty()) << "Java is not asked with missing arguments";
  }
  vm.failAllocationAt(0);
  EXPECT_FALSE(h.shouldStartApplication(1, u"c:\\a.exe", u"root"));
}

}  // namespace
