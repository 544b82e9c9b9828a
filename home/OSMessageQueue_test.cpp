// The queue's Java side with a portable test body (a std::thread and a condition variable in
// place of the window and its loop), in the test JNI host: attach, global references, session
// reports, monitors left running at quit, and failures at start.
#include "OSMessageQueue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <thread>

#include "jnihost/HostTest.h"

namespace {

using jnihost::CallContext;
using jnihost::Value;

struct MonitorLog {
  std::atomic<int> started{0};
  std::atomic<int> stopped{0};
  std::atomic<int> deleted{0};
};

class FakeMonitor : public Quarvo::ApplicationMonitor {
 public:
  explicit FakeMonitor(MonitorLog* log) : log_(log) {}
  ~FakeMonitor() override { ++log_->deleted; }
  void start() override { ++log_->started; }
  void stop() override { ++log_->stopped; }

 private:
  MonitorLog* log_;
};

class TestQueue : public Quarvo::OSMessageQueue {
 public:
  TestQueue(MonitorLog* log, bool threadStarts) : log_(log), threadStarts_(threadStarts) {}
  ~TestQueue() override { ++*deletions; }

  void quit() override {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    changed_.notify_all();
  }
  void waitReady() override {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return ready_; });
  }
  void signalReady() override {
    std::lock_guard<std::mutex> lock(mutex_);
    ready_ = true;
    changed_.notify_all();
  }
  bool startThread() override {
    if (!threadStarts_) return false;
    thread_ = std::thread([this] {
      run();
      release();
    });
    return true;
  }
  void closeThread() override { thread_.detach(); }
  void runLoop() override {
    reportSessionUser(u"root");
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return quit_; });
  }
  Quarvo::ApplicationMonitor* startApplicationMonitor() override {
    auto* monitor = new FakeMonitor(log_);
    if (!adopt(monitor)) {
      delete monitor;
      return nullptr;
    }
    return monitor;
  }
  void stopApplicationMonitor(Quarvo::ApplicationMonitor* monitor) override {
    if (!forget(monitor)) return;
    monitor->stop();
    delete monitor;
  }

  static inline std::atomic<int>* deletions = nullptr;

 private:
  MonitorLog* log_;
  bool threadStarts_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool ready_ = false;
  bool quit_ = false;
  std::thread thread_;
};

class OSMessageQueueTest : public jnihost::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    TestQueue::deletions = &deletions_;
    vm.defineClass("test/SessionQueue")
        .method("sessionDidChange", "(Ljava/lang/String;)V", [](CallContext&) { return Value{}; });
  }

  // Starts a queue for an instance of `className` as `create` does, from a native call.
  TestQueue* create(const std::string& className, bool threadStarts = true) {
    auto* queue = new TestQueue(&log_, threadStarts);
    jnihost::Vm::NativeFrame frame(vm);
    bool started = queue->start(frame.env(), frame.local(vm.newInstance(className)));
    if (started) return queue;
    queue->release();
    return nullptr;
  }

  // Waits for the queue thread to let the queue go, the way the service never does.
  void waitForDeletions(int n) {
    for (int i = 0; i < 500 && deletions_ < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(deletions_, n);
  }

  void waitForCalls(std::size_t n) {
    for (int i = 0; i < 500 && vm.calls().size() < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  MonitorLog log_;
  std::atomic<int> deletions_{0};
};

TEST_F(OSMessageQueueTest, ReportsTheConsoleUserOnceFromItsOwnThread) {
  TestQueue* queue = create("test/SessionQueue");
  ASSERT_NE(queue, nullptr);
  waitForCalls(1);
  std::vector<jnihost::CallRecord> calls = vm.calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(vm.utf8(calls[0].args[0].object), "root");
  EXPECT_NE(calls[0].thread, std::this_thread::get_id());
  queue->quit();
  queue->release();
  waitForDeletions(1);
}

TEST_F(OSMessageQueueTest, NothingStartsWithoutAnEnvironmentOrObject) {
  auto* queue = new TestQueue(&log_, true);
  EXPECT_FALSE(queue->start(nullptr, nullptr));
  EXPECT_FALSE(queue->start(vm.env(), nullptr));
  queue->release();
  EXPECT_EQ(deletions_, 1);
}

TEST_F(OSMessageQueueTest, AThreadThatCannotStartOrAttachGivesNoQueue) {
  EXPECT_EQ(create("test/SessionQueue", false), nullptr);
  EXPECT_EQ(deletions_, 1);
  vm.failNextAttach();
  EXPECT_EQ(create("test/SessionQueue"), nullptr);
  waitForDeletions(2);
  EXPECT_TRUE(vm.calls().empty());
}

TEST_F(OSMessageQueueTest, MonitorsLeftRunningAreStoppedOnceWhenTheQueueEnds) {
  TestQueue* queue = create("test/SessionQueue");
  ASSERT_NE(queue, nullptr);
  Quarvo::ApplicationMonitor* kept = queue->startApplicationMonitor();
  Quarvo::ApplicationMonitor* stopped = queue->startApplicationMonitor();
  queue->stopApplicationMonitor(stopped);
  queue->retain();  // the test keeps the queue to call it after its thread ended
  queue->quit();
  queue->release();
  for (int i = 0; i < 500 && log_.deleted < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(log_.stopped, 2);
  EXPECT_EQ(log_.deleted, 2);
  queue->stopApplicationMonitor(kept);  // already gone: nothing happens
  EXPECT_EQ(queue->startApplicationMonitor(), nullptr);
  EXPECT_EQ(log_.deleted, 3) << "a monitor made after the end is deleted at once";
  queue->release();
  EXPECT_EQ(deletions_, 1);
}

TEST_F(OSMessageQueueTest, AMissingOrThrowingCallbackIsHarmless) {
  vm.defineClass("test/SilentQueue");
  vm.defineClass("test/ThrowingQueue").method("sessionDidChange", "(Ljava/lang/String;)V", [](CallContext& c) {
    c.vm.throwNew("java/lang/IllegalStateException", "no session now");
    return Value{};
  });
  for (const char* cls : {"test/SilentQueue", "test/ThrowingQueue"}) {
    TestQueue* queue = create(cls);
    ASSERT_NE(queue, nullptr) << cls;
    queue->quit();
    queue->release();
  }
  waitForDeletions(2);
}

TEST_F(OSMessageQueueTest, ManyQueuesComeAndGoWithoutLeaks) {
  for (int i = 0; i < 200; ++i) {
    TestQueue* queue = create("test/SessionQueue");
    ASSERT_NE(queue, nullptr);
    queue->quit();
    queue->release();
  }
  waitForDeletions(200);
  waitForCalls(200);
}

}  // namespace
