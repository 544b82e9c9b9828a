// homebridge.dll's message queue as the service drives it, through the test JNI host under Wine:
// the console user reported at start and at each session change, monitors on Wine's WMI, quits
// from either side, and many queues coming and going.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "jnihost/HostTest.h"
#include "test_platform.h"

namespace {

using jnihost::CallContext;
using jnihost::Object;
using jnihost::Value;

constexpr const char* kQueueClass = "jni/com/quarvo/os/windows/WindowsMessageQueue";

class QueueTest : public jnihost::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    vm.defineClass("test/RecordingQueue", kQueueClass)
        .method("sessionDidChange", "(Ljava/lang/String;)V", [](CallContext&) { return Value{}; });
  }

  static void* fn(const char* name) {
    return native(library("homebridge.dll"), std::string("Java_jni_com_quarvo_os_windows_WindowsMessageQueue_") + name);
  }
  jint terminate(Object* application, Object* user) {
    return vm.callStatic<jint>(fn("terminateApplication"), kQueueClass, jlong{0}, jint{0}, application, user);
  }
  jlong create(Object* self) { return vm.callInstance<jlong>(fn("create"), self); }
  void destroy(jlong queue) { vm.callStatic<void>(fn("destroy"), kQueueClass, queue); }
  jlong startMonitor(jlong queue) { return vm.callStatic<jlong>(fn("startApplicationMonitor"), kQueueClass, queue); }
  void stopMonitor(jlong queue, jlong monitor) {
    vm.callStatic<void>(fn("stopApplicationMonitor"), kQueueClass, queue, monitor);
  }

  // The session reports so far, as texts ("(null)" for null).
  std::vector<std::string> reports() {
    std::vector<std::string> out;
    for (const jnihost::CallRecord& call : vm.calls()) {
      if (call.methodName == "sessionDidChange") out.push_back(call.args[0].object ? vm.utf8(call.args[0].object) : "(null)");
    }
    return out;
  }
  void waitForReports(std::size_t n) {
    for (int i = 0; i < 300 && reports().size() < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // Waits until no queue window is left, i.e. every queue thread has ended.
  static void waitForQueuesToEnd() {
    for (int i = 0; i < 300 && FindWindowW(L"Quarvo::EventLoop", nullptr) != nullptr; ++i) Sleep(10);
    Sleep(20);
  }
};

TEST_F(QueueTest, ReportsTheConsoleUserAtStartAndAtEachSessionChange) {
  jlong queue = create(vm.newInstance("test/RecordingQueue"));
  ASSERT_NE(queue, 0);
  waitForReports(1);
  EXPECT_EQ(reports(), std::vector<std::string>{"root"});
  HWND window = FindWindowW(L"Quarvo::EventLoop", L"Windows Message Queue");
  ASSERT_NE(window, nullptr);
  for (WPARAM event : {WTS_SESSION_LOCK, WTS_SESSION_UNLOCK, WTS_SESSION_LOGON, WTS_SESSION_LOGOFF,
                       WTS_REMOTE_CONNECT}) {
    PostMessageW(window, WM_WTSSESSION_CHANGE, event, 1);
  }
  waitForReports(6);
  EXPECT_EQ(reports(), std::vector<std::string>(6, "root"));
  destroy(queue);
  waitForQueuesToEnd();
}

TEST_F(QueueTest, NoQueueWithoutAnObjectOrWhenTheThreadCannotAttach) {
  EXPECT_EQ(create(nullptr), 0);
  vm.failNextAttach();
  EXPECT_EQ(create(vm.newInstance("test/RecordingQueue")), 0);
  destroy(0);
  EXPECT_EQ(startMonitor(0), 0);
  stopMonitor(0, 0);
  waitForQueuesToEnd();
  EXPECT_TRUE(reports().empty());
}

TEST_F(QueueTest, MonitorsOnWinesWmiStartAndStopCleanly) {
  jlong queue = create(vm.newInstance("test/RecordingQueue"));
  ASSERT_NE(queue, 0);
  jlong stopped = startMonitor(queue);
  jlong left = startMonitor(queue);
  EXPECT_NE(stopped, 0);
  EXPECT_NE(left, 0);
  Sleep(300);
  stopMonitor(queue, stopped);
  destroy(queue);  // the monitor left running is stopped and deleted by the queue thread
  waitForQueuesToEnd();
}

TEST_F(QueueTest, AWindowClosedFromOutsideEndsTheQueueAndLaterCallsAreHarmless) {
  jlong queue = create(vm.newInstance("test/RecordingQueue"));
  ASSERT_NE(queue, 0);
  jlong monitor = startMonitor(queue);
  HWND window = FindWindowW(L"Quarvo::EventLoop", L"Windows Message Queue");
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_CLOSE, 0, 0);
  waitForQueuesToEnd();
  EXPECT_EQ(startMonitor(queue), 0);
  stopMonitor(queue, monitor);
  destroy(queue);
}

TEST_F(QueueTest, ManyQueuesComeAndGo) {
  // The first queues of a process set up COM, the window station and Wine's own thread
  // bookkeeping for good (measured: 8 handles, then at most one more however many follow).
  for (int i = 0; i < 20; ++i) destroy(create(vm.newInstance("test/RecordingQueue")));
  waitForQueuesToEnd();
  std::size_t handles = CXX::testing::openHandleCount();
  for (int i = 0; i < 500; ++i) {
    jlong queue = create(vm.newInstance("test/RecordingQueue"));
    ASSERT_NE(queue, 0);
    destroy(queue);
  }
  waitForQueuesToEnd();
  // The last threads may still be closing their own handles after their windows went.
  std::size_t now = CXX::testing::openHandleCount();
  for (int i = 0; i < 20 && now > handles; ++i) {
    Sleep(100);
    now = CXX::testing::openHandleCount();
  }
  // Wine's own bookkeeping moves by a handle now and then; a handle kept per queue would show
  // as 500.
  EXPECT_LE(now, handles + 2);
}

TEST_F(QueueTest, AThousandSessionChangesLeaveNothingBehind) {
  jlong queue = create(vm.newInstance("test/RecordingQueue"));
  ASSERT_NE(queue, 0);
  waitForReports(1);
  HWND window = FindWindowW(L"Quarvo::EventLoop", L"Windows Message Queue");
  std::size_t handles = CXX::testing::openHandleCount();
  for (int i = 0; i < 1000; ++i) SendMessageW(window, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
  EXPECT_EQ(reports().size(), 1001u);
  EXPECT_EQ(CXX::testing::openHandleCount(), handles);
  destroy(queue);
  waitForQueuesToEnd();
}

TEST_F(QueueTest, TerminateApplicationClosesOnlyTheNamedProgram) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);
  folder.resize(folder.find_last_of(L'\\') + 1);
  std::wstring program = folder + L"closing_window.exe";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  std::wstring command = L"\"" + program + L"\"";
  ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
  WaitForInputIdle(child.hProcess, 5000);
  std::u16string path(program.begin(), program.end());
  EXPECT_EQ(terminate(nullptr, nullptr), 0);
  EXPECT_EQ(terminate(vm.newString(u"pkg:" + path), nullptr), 0);
  EXPECT_EQ(terminate(vm.newString(path), vm.newStringFromUtf8("somebody else")), 0);
  EXPECT_EQ(WaitForSingleObject(child.hProcess, 300), static_cast<DWORD>(WAIT_TIMEOUT)) << "spared so far";
  std::u16string upper = path;
  for (char16_t& c : upper) c = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  EXPECT_EQ(terminate(vm.newString(upper), vm.newStringFromUtf8("ROOT")), 0);
  EXPECT_EQ(WaitForSingleObject(child.hProcess, 3000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 0;
  GetExitCodeProcess(child.hProcess, &code);
  EXPECT_EQ(code, 7u) << "closed through its window, not killed";
  CloseHandle(child.hProcess);
  CloseHandle(child.hThread);
}

using QueueDeathTest = QueueTest;

TEST_F(QueueDeathTest, AQueueWithoutItsWindowClassSaysWhyAndGivesNoHandle) {
  EXPECT_EXIT(
      {
        CXX::testing::sendStdoutToDeathTestStream();
        library("homebridge.dll");
        UnregisterClassW(L"Quarvo::EventLoop", nullptr);
        jlong queue = create(vm.newInstance("test/RecordingQueue"));
        std::fflush(stdout);
        std::exit(queue == 0 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "CreateInstance: ");
}

}  // namespace
