#include "WindowsEventLoop.h"

#include <objbase.h>
#include <windows.h>
#include <wtsapi32.h>

#include <cstdio>
#include <new>
#include <string>

#include "AccountFilter.h"
#include "WindowsApplicationMonitor.h"

namespace Quarvo {

namespace {

constexpr UINT WM_QUEUE_START_MONITOR = WM_USER + 1;
constexpr UINT WM_QUEUE_STOP_MONITOR = WM_USER + 2;
constexpr UINT_PTR kSessionRetryTimer = 1;
constexpr DWORD kTerminalServicesNotReady = 1702;  // RPC_S_INVALID_BINDING
constexpr HRESULT kSecurityAlreadyInitialised = static_cast<HRESULT>(0x80010119);
const wchar_t kClassName[] = L"Quarvo::EventLoop";

ATOM classAtom = 0;
DWORD tlsSlot = TLS_OUT_OF_INDEXES;

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Written to standard output, as the service's log collects it.
void printCreateDiagnostic(DWORD error) {
  wchar_t* text = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) {
    std::printf("CreateInstance: Undefined error (0x%lx)\n", static_cast<unsigned long>(error));
  } else {
    std::printf("CreateInstance: %ls\n", text);
    LocalFree(text);
  }
  std::fflush(stdout);
}

class WindowsEventLoop : public OSMessageQueue {
 public:
  WindowsEventLoop() : ready_(CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr)) {}
  ~WindowsEventLoop() override {
    if (ready_ != nullptr) CloseHandle(ready_);
  }

  void quit() override {
    std::lock_guard<std::mutex> lock(monitorsMutex());
    if (window_ != nullptr) PostMessageW(window_, WM_QUIT, 0, 0);
  }
  void waitReady() override { WaitForSingleObject(ready_, INFINITE); }
  void signalReady() override { ReleaseSemaphore(ready_, 1, nullptr); }
  bool startThread() override {
    if (ready_ == nullptr) return false;
    thread_ = CreateThread(nullptr, 0, threadMain, this, 0, nullptr);
    return thread_ != nullptr;
  }
  void closeThread() override {
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  void run() override;
  void runLoop() override;
  ApplicationMonitor* startApplicationMonitor() override;
  void stopApplicationMonitor(ApplicationMonitor* monitor) override;

  LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void registerSessionNotification();

 private:
  static DWORD WINAPI threadMain(void* queue) {
    auto* self = static_cast<WindowsEventLoop*>(queue);
    self->run();
    self->release();  // the thread's reference, after its last use of the queue
    return 0;
  }
  HWND window() {
    std::lock_guard<std::mutex> lock(monitorsMutex());
    return window_;
  }
  void setWindow(HWND window) {
    std::lock_guard<std::mutex> lock(monitorsMutex());
    window_ = window;
  }
  void notifySessionChange(DWORD session);

  HANDLE ready_;
  HANDLE thread_ = nullptr;
  HWND window_ = nullptr;
};

void WindowsEventLoop::run() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    signalReady();
    return;
  }
  HRESULT security = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                                          RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  if (FAILED(security) && security != kSecurityAlreadyInitialised) {
    CoUninitialize();
    signalReady();
    return;
  }
  HWND window = CreateWindowExW(0, kClassName, L"Windows Message Queue", 0, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
  if (window == nullptr) {
    printCreateDiagnostic(GetLastError());
    CoUninitialize();
    signalReady();
    return;
  }
  setWindow(window);
  TlsSetValue(tlsSlot, this);
  OSMessageQueue::run();
  TlsSetValue(tlsSlot, nullptr);
  setWindow(nullptr);
  DestroyWindow(window);
  CoUninitialize();
}

void CALLBACK retrySessionRegistration(HWND, UINT, UINT_PTR, DWORD) {
  if (auto* queue = static_cast<WindowsEventLoop*>(TlsGetValue(tlsSlot))) queue->registerSessionNotification();
}

void WindowsEventLoop::registerSessionNotification() {
  HWND window = this->window();
  if (WTSRegisterSessionNotification(window, NOTIFY_FOR_ALL_SESSIONS)) {
    KillTimer(window, kSessionRetryTimer);
    // The service learns the console user now, not at the next change.
    PostMessageW(window, WM_WTSSESSION_CHANGE, 0, 0);
    return;
  }
  if (GetLastError() == kTerminalServicesNotReady) {
    SetTimer(window, kSessionRetryTimer, 500, retrySessionRegistration);
  }
}

void WindowsEventLoop::runLoop() {
  registerSessionNotification();
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) continue;
    DispatchMessageW(&message);
  }
  WTSUnRegisterSessionNotification(window());
}

void WindowsEventLoop::notifySessionChange(DWORD session) {
  if (session == 0xFFFFFFFF) {
    reportSessionUser(nullptr);
    return;
  }
  wchar_t* buffer = nullptr;
  DWORD bytes = 0;
  if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, WTSUserName, &buffer, &bytes) ||
      buffer == nullptr) {
    reportSessionUser(nullptr);
    return;
  }
  std::size_t length = bytes / 2;
  if (length > 0 && buffer[length - 1] == 0) --length;
  std::u16string user(reinterpret_cast<const char16_t*>(buffer), length);
  WTSFreeMemory(buffer);
  reportSessionUser(isHiddenAccount(reinterpret_cast<const wchar_t*>(user.c_str()), length) ? nullptr : user.c_str());
}

ApplicationMonitor* WindowsEventLoop::startApplicationMonitor() {
  HWND window = this->window();
  if (window == nullptr) return nullptr;
  auto* monitor = new (std::nothrow) WindowsApplicationMonitor(delegate());
  if (monitor == nullptr) return nullptr;
  if (!adopt(monitor)) {
    delete monitor;
    return nullptr;
  }
  if (!PostMessageW(window, WM_QUEUE_START_MONITOR, reinterpret_cast<WPARAM>(monitor), 0)) {
    // The thread is ending: whoever forgets the monitor first deletes it.
    if (forget(monitor)) delete monitor;
    return nullptr;
  }
  return monitor;
}

void WindowsEventLoop::stopApplicationMonitor(ApplicationMonitor* monitor) {
  HWND window = this->window();
  if (window != nullptr && PostMessageW(window, WM_QUEUE_STOP_MONITOR, reinterpret_cast<WPARAM>(monitor), 0)) return;
  if (!forget(monitor)) return;  // already stopped and deleted with its queue
  monitor->stop();
  delete monitor;
}

LRESULT WindowsEventLoop::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* monitor = reinterpret_cast<ApplicationMonitor*>(wParam);
  switch (message) {
    case WM_DESTROY:
    case WM_CLOSE:
      PostQuitMessage(0);
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_SIZE:
    case WM_PAINT:
      return 0;
    case WM_WTSSESSION_CHANGE:
      notifySessionChange(WTSGetActiveConsoleSessionId());
      return 0;
    case WM_QUEUE_START_MONITOR:
      if (monitor != nullptr && isAdopted(monitor)) monitor->start();
      return 0;
    case WM_QUEUE_STOP_MONITOR:
      if (monitor != nullptr && forget(monitor)) {
        monitor->stop();
        delete monitor;
      }
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* queue = tlsSlot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<WindowsEventLoop*>(TlsGetValue(tlsSlot));
  if (queue == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return queue->handle(window, message, wParam, lParam);
}

}  // namespace

bool registerEventLoop() {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.lpszClassName = kClassName;
  classAtom = RegisterClassW(&windowClass);
  tlsSlot = TlsAlloc();
  return classAtom != 0 && tlsSlot != TLS_OUT_OF_INDEXES;
}

void unregisterEventLoop() {
  if (classAtom != 0) UnregisterClassW(kClassName, nullptr);
  classAtom = 0;
  if (tlsSlot != TLS_OUT_OF_INDEXES) TlsFree(tlsSlot);
  tlsSlot = TLS_OUT_OF_INDEXES;
}

OSMessageQueue* newWindowsEventLoop() { return new (std::nothrow) WindowsEventLoop(); }

}  // namespace Quarvo
