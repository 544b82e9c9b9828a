// The application monitor through the queue's natives, with WMI replaced by the test-only fake
// (Wine's cannot deliver process events): decisions reach the Java stand-in with the program's
// lower-cased path and owner, refused programs end, and every odd event, callback and late
// sink call is survived. Real programs are started and ended.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "FakeWmi.h"
#include "WindowsApplicationMonitor.h"
#include "jni_com_quarvo_os_windows_WindowsMessageQueue.h"
#include "jnihost/HostTest.h"
#include "test_platform.h"

extern "C" JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM*, void*);

namespace {

using jnihost::CallContext;
using jnihost::Value;
using Quarvo::testing::FakeServices;
using Quarvo::testing::FakeWbemObject;
using Quarvo::testing::Owned;

constexpr const char* kQueueClass = "jni/com/quarvo/os/windows/WindowsMessageQueue";
std::atomic<bool> allow{true};

std::wstring besideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

// A started test program, ended (if still running) when the test is done.
class Child {
 public:
  Child() {
    std::wstring command = L"\"" + besideThisProgram(L"stubborn_window.exe") + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    EXPECT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_));
    WaitForInputIdle(info_.hProcess, 5000);
  }
  ~Child() {
    TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }
  DWORD id() const { return info_.dwProcessId; }
  // The exit code once the program ended within `ms`, else STILL_ACTIVE.
  DWORD exitCodeWithin(DWORD ms) const {
    WaitForSingleObject(info_.hProcess, ms);
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_{};
};

// A Win32_Process object as the fake delivers it: Wine's ProcessId type, a path in mixed case.
Owned<FakeWbemObject> processObject(DWORD id, const std::wstring& executablePath) {
  Owned<FakeWbemObject> process = FakeWbemObject::make();
  process->setI4(L"ProcessId", static_cast<LONG>(id));
  if (!executablePath.empty()) process->setText(L"ExecutablePath", executablePath);
  process->setText(L"__PATH", L"\\\\.\\root\\cimv2:Win32_Process.Handle=\"" + std::to_wstring(id) + L"\"");
  return process;
}

class MonitorTest : public jnihost::HostTest {
 protected:
  static void SetUpTestSuite() {
    static const bool loaded = JNI_OnLoad(jnihost::Vm::instance().javaVm(), nullptr) == JNI_VERSION_1_4;
    ASSERT_TRUE(loaded);
    Quarvo::WindowsApplicationMonitor::setConnectForTesting(FakeServices::connect);
  }

  void SetUp() override {
    HostTest::SetUp();
    allow = true;
    auto decide = [](CallContext&) { return Value::of(std::int64_t{allow ? 1 : 0}); };
    auto nothing = [](CallContext&) { return Value{}; };
    vm.defineClass("test/MonitorQueue", kQueueClass)
        .method("shouldStartApplication", "(JLjava/lang/String;Ljava/lang/String;)Z", decide)
        .method("didStartApplication", "(JLjava/lang/String;Ljava/lang/String;)V", nothing)
        .method("didStopApplication", "(J)V", nothing);
  }

  void TearDown() override {
    if (queue_ != 0) {
      Java_jni_com_quarvo_os_windows_WindowsMessageQueue_destroy(vm.env(), nullptr, queue_);
      for (int i = 0; i < 300 && FindWindowW(L"Quarvo::EventLoop", nullptr) != nullptr; ++i) Sleep(10);
      Sleep(20);
    }
    services_.reset();
    FakeServices::forgetLast();
    HostTest::TearDown();
  }

  // A queue for an instance of `className` and a monitor on it, connected to a fresh fake.
  FakeServices& startMonitor(const std::string& className = "test/MonitorQueue") {
    FakeServices::forgetLast();
    queue_ = vm.callInstance<jlong>(reinterpret_cast<void*>(&Java_jni_com_quarvo_os_windows_WindowsMessageQueue_create),
                                    vm.newInstance(className));
    EXPECT_NE(queue_, 0);
    monitor_ = Java_jni_com_quarvo_os_windows_WindowsMessageQueue_startApplicationMonitor(vm.env(), nullptr, queue_);
    EXPECT_NE(monitor_, 0);
    for (int i = 0; i < 300; ++i) {
      services_ = FakeServices::last();
      if (services_ && services_->subscriptions().size() == 3) break;
      Sleep(10);
    }
    EXPECT_TRUE(services_);
    return *services_;
  }
  void stopMonitor() {
    Java_jni_com_quarvo_os_windows_WindowsMessageQueue_stopApplicationMonitor(vm.env(), nullptr, queue_, monitor_);
    // The stop is posted to the queue thread; it is done once what was posted after it is.
    services_->afterPostedMessages();
  }

  // Calls of one callback, in order.
  std::vector<jnihost::CallRecord> callsOf(const std::string& method) {
    std::vector<jnihost::CallRecord> out;
    for (const jnihost::CallRecord& call : vm.calls()) {
      if (call.methodName == method) out.push_back(call);
    }
    return out;
  }

  HRESULT created(IWbemClassObject* process) {
    Owned<FakeWbemObject> event = Quarvo::testing::processEvent(process);
    return services_->indicate(L"__InstanceCreationEvent", event.get());
  }

  jlong queue_ = 0;
  jlong monitor_ = 0;
  Owned<FakeServices> services_;
};

TEST_F(MonitorTest, SubscribesToStartsEndsAndTheProgramsAlreadyRunning) {
  FakeServices& wmi = startMonitor();
  std::vector<FakeServices::Subscription> subscriptions = wmi.subscriptions();
  ASSERT_EQ(subscriptions.size(), 3u);
  EXPECT_EQ(subscriptions[0].query,
            L"SELECT * FROM __InstanceCreationEvent WITHIN 0.5 WHERE TargetInstance ISA 'Win32_Process'");
  EXPECT_EQ(subscriptions[1].query,
            L"SELECT * FROM __InstanceDeletionEvent WITHIN 1 WHERE TargetInstance ISA 'Win32_Process'");
  EXPECT_EQ(subscriptions[2].query, L"SELECT * FROM Win32_Process");
  EXPECT_FALSE(subscriptions[2].notification);
  stopMonitor();
  EXPECT_EQ(wmi.cancels(), 3);
}

TEST_F(MonitorTest, AnAllowedProgramIsReportedByItsLowerCasedPathAndOwner) {
  FakeServices& wmi = startMonitor();
  Child child;
  Owned<FakeWbemObject> process = processObject(child.id(), L"C:\\Program Files\\Some App\\App.EXE");
  EXPECT_EQ(created(process.get()), S_OK);
  std::vector<jnihost::CallRecord> asked = callsOf("shouldStartApplication");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].args[0].number, static_cast<std::int64_t>(child.id()));
  EXPECT_EQ(vm.utf8(asked[0].args[1].object), "c:\\program files\\some app\\app.exe");
  EXPECT_EQ(vm.utf8(asked[0].args[2].object), "root");
  EXPECT_NE(asked[0].thread, std::this_thread::get_id()) << "decisions are made on the queue thread";
  ASSERT_EQ(callsOf("didStartApplication").size(), 1u);
  EXPECT_EQ(child.exitCodeWithin(100), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_TRUE(wmi.methodCalls().empty());
}

TEST_F(MonitorTest, ARefusedProgramAloneEndsWhenWmiCannotTerminateIt) {
  FakeServices& wmi = startMonitor();
  wmi.getMethodStatus = Quarvo::testing::wmiStatus(WBEM_E_NOT_FOUND);  // Wine: no Terminate
  allow = false;
  Child refused;
  Child bystander;
  Owned<FakeWbemObject> process = processObject(refused.id(), L"C:\\games\\refused.exe");
  created(process.get());
  EXPECT_EQ(refused.exitCodeWithin(2000), 0u);
  EXPECT_EQ(bystander.exitCodeWithin(100), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_TRUE(callsOf("didStartApplication").empty());
}

TEST_F(MonitorTest, TerminateRefusedInItsReturnValueLeadsToTheDirectKill) {
  FakeServices& wmi = startMonitor();
  allow = false;
  wmi.returnValue = 2;
  Child refused;
  Owned<FakeWbemObject> process = processObject(refused.id(), L"C:\\games\\refused.exe");
  created(process.get());
  EXPECT_EQ(refused.exitCodeWithin(2000), 0u);
  std::vector<FakeServices::MethodCall> calls = wmi.methodCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].method, L"Terminate");
  EXPECT_EQ(calls[0].reason, 0);
  EXPECT_EQ(calls[0].path, L"\\\\.\\root\\cimv2:Win32_Process.Handle=\"" + std::to_wstring(refused.id()) + L"\"");
}

TEST_F(MonitorTest, ATerminationWmiCarriedOutNeedsNoDirectKill) {
  FakeServices& wmi = startMonitor();
  allow = false;
  wmi.returnValue = 0;  // the fake reports success without ending anything
  Child refused;
  Owned<FakeWbemObject> process = processObject(refused.id(), L"C:\\games\\refused.exe");
  created(process.get());
  EXPECT_EQ(refused.exitCodeWithin(300), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(wmi.methodCalls().size(), 1u);
}

TEST_F(MonitorTest, EveryEndIsReportedWithItsIdConvertedWhenNeeded) {
  FakeServices& wmi = startMonitor();
  Owned<FakeWbemObject> ended = processObject(4321, L"");
  Owned<FakeWbemObject> asText = FakeWbemObject::make();
  asText->setText(L"ProcessId", L"77");
  Owned<FakeWbemObject> garbage = FakeWbemObject::make();
  garbage->setText(L"ProcessId", L"not a number");
  Owned<FakeWbemObject> notAnObject = FakeWbemObject::make();
  notAnObject->setI4(L"TargetInstance", 5);
  for (IUnknown* process : {static_cast<IUnknown*>(ended.get()), static_cast<IUnknown*>(asText.get()),
                            static_cast<IUnknown*>(garbage.get())}) {
    Owned<FakeWbemObject> event = Quarvo::testing::processEvent(process);
    wmi.indicate(L"__InstanceDeletionEvent", event.get());
  }
  EXPECT_FALSE(SUCCEEDED(wmi.indicate(L"__InstanceDeletionEvent", notAnObject.get())));
  std::vector<jnihost::CallRecord> stops = callsOf("didStopApplication");
  ASSERT_EQ(stops.size(), 2u);
  EXPECT_EQ(stops[0].args[0].number, 4321);
  EXPECT_EQ(stops[1].args[0].number, 77);
}

TEST_F(MonitorTest, ProgramsWithoutANameOrThatCannotBeOpenedAreNotReported) {
  startMonitor();
  Child child;
  Owned<FakeWbemObject> nameless = processObject(child.id(), L"");
  created(nameless.get());
  Owned<FakeWbemObject> gone = processObject(0x7FFFFFF0u, L"C:\\gone.exe");
  created(gone.get());
  EXPECT_TRUE(callsOf("shouldStartApplication").empty());
}

TEST_F(MonitorTest, TheInitialListDecidesThenItsSinkIsDropped) {
  FakeServices& wmi = startMonitor();
  wmi.getMethodStatus = Quarvo::testing::wmiStatus(WBEM_E_NOT_FOUND);
  allow = false;
  Child running;
  Owned<FakeWbemObject> process = processObject(running.id(), L"C:\\already\\running.exe");
  wmi.indicate(L"FROM Win32_Process", process.get());
  EXPECT_EQ(running.exitCodeWithin(2000), 0u) << "a refused program already running is ended too";
  wmi.setStatus(L"FROM Win32_Process", WBEM_STATUS_COMPLETE, S_OK);
  Child late;
  Owned<FakeWbemObject> lateProcess = processObject(late.id(), L"C:\\already\\late.exe");
  wmi.indicate(L"FROM Win32_Process", lateProcess.get());
  EXPECT_EQ(callsOf("shouldStartApplication").size(), 1u) << "the finished list's sink is detached";
  stopMonitor();
  EXPECT_EQ(wmi.cancels(), 2) << "the finished list is not cancelled again";
}

TEST_F(MonitorTest, StatusDeliveredInsideOrAfterTheCancelIsHarmless) {
  FakeServices& wmi = startMonitor();
  wmi.statusInsideCancel = true;
  stopMonitor();
  EXPECT_EQ(wmi.cancels(), 3);
  Child child;
  Owned<FakeWbemObject> process = processObject(child.id(), L"C:\\late.exe");
  created(process.get());
  wmi.setStatus(L"FROM Win32_Process", WBEM_STATUS_COMPLETE, S_OK);
  EXPECT_TRUE(callsOf("shouldStartApplication").empty());
}

TEST_F(MonitorTest, MissingOrThrowingDecisionsAllow) {
  auto nothing = [](CallContext&) { return Value{}; };
  vm.defineClass("test/ReportsOnlyQueue", kQueueClass)
      .method("didStartApplication", "(JLjava/lang/String;Ljava/lang/String;)V", nothing);
  vm.defineClass("test/ThrowingQueue", kQueueClass)
      .method("shouldStartApplication", "(JLjava/lang/String;Ljava/lang/String;)Z",
              [](CallContext& c) {
                c.vm.throwNew("java/lang/IllegalStateException", "policy not loaded");
                return Value::of(std::int64_t{0});
              })
      .method("didStartApplication", "(JLjava/lang/String;Ljava/lang/String;)V", nothing);
  for (const char* cls : {"test/ReportsOnlyQueue", "test/ThrowingQueue"}) {
    vm.clearCalls();
    startMonitor(cls);
    Child child;
    Owned<FakeWbemObject> process = processObject(child.id(), L"C:\\a.exe");
    created(process.get());
    EXPECT_EQ(callsOf("didStartApplication").size(), 1u) << cls;
    EXPECT_EQ(child.exitCodeWithin(100), static_cast<DWORD>(STILL_ACTIVE)) << cls;
    Java_jni_com_quarvo_os_windows_WindowsMessageQueue_destroy(vm.env(), nullptr, queue_);
    queue_ = 0;
    for (int i = 0; i < 300 && FindWindowW(L"Quarvo::EventLoop", nullptr) != nullptr; ++i) Sleep(10);
  }
}

// The soak: 10,000 events. Every start opens the process and its token: none stays open.
TEST_F(MonitorTest, ManyEventsLeaveNoReferencesOrHandlesBehind) {
  FakeServices& wmi = startMonitor();
  Child child;
  Owned<FakeWbemObject> process = processObject(child.id(), L"C:\\Busy\\App.exe");
  Owned<FakeWbemObject> event = Quarvo::testing::processEvent(process.get());
  wmi.indicate(L"__InstanceCreationEvent", event.get());
  std::size_t handles = CXX::testing::openHandleCount();
  for (int i = 0; i < 5000; ++i) {
    wmi.indicate(L"__InstanceCreationEvent", event.get());
    wmi.indicate(L"__InstanceDeletionEvent", event.get());
  }
  EXPECT_EQ(CXX::testing::openHandleCount(), handles);
  EXPECT_EQ(callsOf("didStopApplication").size(), 5000u);
  std::size_t locals = 0;
  wmi.onQueueThread([&] { locals = vm.liveLocalRefs(); });
  EXPECT_EQ(locals, 0u);
}

}  // namespace
