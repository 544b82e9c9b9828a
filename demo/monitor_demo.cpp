// Shows homebridge's message queue and application monitor as the service would see them,
// under Wine through the test JNI host with a printing stand-in for the service. Wine's WMI
// cannot deliver process events, so the test-only WMI stand-in delivers the starts of two real
// programs: the service refuses one (it is ended) and allows the other, which
// terminateApplication then closes through its window.
#include <windows.h>

#include <cstdio>
#include <string>

#include "FakeWmi.h"
#include "WindowsApplicationMonitor.h"
#include "jni_com_quarvo_os_windows_WindowsMessageQueue.h"
#include "jnihost/Vm.h"

extern "C" JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM*, void*);

namespace {

using jnihost::CallContext;
using jnihost::Value;
using Quarvo::testing::FakeServices;
using Quarvo::testing::FakeWbemObject;
using Quarvo::testing::Owned;

std::wstring besideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return self.substr(0, self.find_last_of(L'\\') + 1) + name;
}

PROCESS_INFORMATION launch(const std::wstring& program) {
  std::wstring command = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
  WaitForInputIdle(info.hProcess, 5000);
  return info;
}

void reportEnd(const char* what, const PROCESS_INFORMATION& info) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(info.hProcess, 3000) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
  if (code == STILL_ACTIVE) {
    std::printf("%s: still running\n", what);
    TerminateProcess(info.hProcess, 1);
  } else {
    std::printf("%s: ended with exit code %lu\n", what, static_cast<unsigned long>(code));
  }
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
}

void defineService(jnihost::Vm& vm) {
  vm.defineClass("demo/Service", "jni/com/quarvo/os/windows/WindowsMessageQueue")
      .method("sessionDidChange", "(Ljava/lang/String;)V",
              [](CallContext& c) {
                std::printf("service: console user is %s\n", c.args[0].object ? c.vm.utf8(c.args[0].object).c_str() : "(nobody)");
                return Value{};
              })
      .method("shouldStartApplication", "(JLjava/lang/String;Ljava/lang/String;)Z",
              [](CallContext& c) {
                std::string name = c.vm.utf8(c.args[1].object);
                bool allow = name.find("stubborn") == std::string::npos;
                std::printf("service: %s (process %lld, user %s) may start? %s\n", name.c_str(),
                            static_cast<long long>(c.args[0].number), c.vm.utf8(c.args[2].object).c_str(),
                            allow ? "yes" : "no");
                return Value::of(std::int64_t{allow ? 1 : 0});
              })
      .method("didStartApplication", "(JLjava/lang/String;Ljava/lang/String;)V",
              [](CallContext& c) {
                std::printf("service: started %s\n", c.vm.utf8(c.args[1].object).c_str());
                return Value{};
              })
      .method("didStopApplication", "(J)V", [](CallContext& c) {
        std::printf("service: process %lld ended\n", static_cast<long long>(c.args[0].number));
        return Value{};
      });
}

Owned<FakeWbemObject> processObject(DWORD id, const std::wstring& path) {
  Owned<FakeWbemObject> process = FakeWbemObject::make();
  process->setI4(L"ProcessId", static_cast<LONG>(id));
  process->setText(L"ExecutablePath", path);
  process->setText(L"__PATH", L"\\\\.\\root\\cimv2:Win32_Process.Handle=\"" + std::to_wstring(id) + L"\"");
  return process;
}

}  // namespace

int main() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  jnihost::Vm& vm = jnihost::Vm::instance();
  JNI_OnLoad(vm.javaVm(), nullptr);
  Quarvo::WindowsApplicationMonitor::setConnectForTesting(FakeServices::connect);
  defineService(vm);

  jlong queue = 0;
  {
    jnihost::Vm::NativeFrame frame(vm);
    queue = Java_jni_com_quarvo_os_windows_WindowsMessageQueue_create(frame.env(), frame.local(vm.newInstance("demo/Service")));
  }
  if (queue == 0) {
    std::printf("the queue did not start\n");
    return 1;
  }
  Sleep(200);
  jlong monitor = Java_jni_com_quarvo_os_windows_WindowsMessageQueue_startApplicationMonitor(vm.env(), nullptr, queue);
  Owned<FakeServices> wmi;
  for (int i = 0; i < 300 && !(wmi && wmi->subscriptions().size() == 3); ++i) {
    Sleep(10);
    wmi = FakeServices::last();
  }
  if (!wmi) return 1;
  wmi->getMethodStatus = Quarvo::testing::wmiStatus(WBEM_E_NOT_FOUND);  // as on Wine: no Terminate method

  std::wstring refusedPath = besideThisProgram(L"stubborn_window.exe");
  std::wstring allowedPath = besideThisProgram(L"closing_window.exe");
  PROCESS_INFORMATION refused = launch(refusedPath);
  PROCESS_INFORMATION allowed = launch(allowedPath);
  for (auto* info : {&refused, &allowed}) {
    Owned<FakeWbemObject> process = processObject(info->dwProcessId, info == &refused ? refusedPath : allowedPath);
    Owned<FakeWbemObject> event = Quarvo::testing::processEvent(process.get());
    wmi->indicate(L"__InstanceCreationEvent", event.get());
  }
  reportEnd("refused program", refused);

  std::printf("service: terminateApplication(%ls, root)\n", allowedPath.c_str());
  {
    jnihost::Vm::NativeFrame frame(vm);
    std::u16string path(allowedPath.begin(), allowedPath.end());
    Java_jni_com_quarvo_os_windows_WindowsMessageQueue_terminateApplication(
        frame.env(), nullptr, 0, 0, static_cast<jstring>(frame.local(vm.newString(path))),
        static_cast<jstring>(frame.local(vm.newStringFromUtf8("root"))));
  }
  reportEnd("allowed program", allowed);

  Java_jni_com_quarvo_os_windows_WindowsMessageQueue_stopApplicationMonitor(vm.env(), nullptr, queue, monitor);
  Java_jni_com_quarvo_os_windows_WindowsMessageQueue_destroy(vm.env(), nullptr, queue);
  Sleep(200);
  return 0;
}
