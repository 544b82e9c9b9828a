// Quarvo::windows::WinHelper (see WinHelper.h).
#include "WinHelper.h"

#include <winsock2.h>
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>

#include "ShellKitClient.h"
#include "WinSockConnection.h"

namespace Quarvo {
namespace windows {

CXX_DEFINE_CLASS(WinHelper, "Quarvo::windows", "WinHelper", Helper)

namespace {

constexpr UINT kAppIdString = 105;
constexpr UINT kProgramIcon = 104;
constexpr int kTitleUnits = 256;
constexpr int kBodyUnits = 1024;

// The helper whose fallback box is opening: the CBT hook has no context of its own.
WinHelper* boxOwner = nullptr;

// UTF-8 to UTF-16 into out (units, terminator included); false with GetLastError set when
// the text is not valid UTF-8 or does not fit.
bool toWide(CXX::Buffer* text, wchar_t* out, int units) {
  out[0] = L'\0';
  if (text->length() == 0) return true;  // an empty body is still a notification
  if (text->length() > 0x7FFFFFFF) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  int written = MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(text->bytes()),
                                    static_cast<int>(text->length()), out, units - 1);
  if (written == 0) return false;
  out[written] = L'\0';
  return true;
}

LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam) {
  WinHelper* helper = boxOwner;
  if (helper == nullptr) return 0;
  HHOOK hook = helper->hookHandle();
  if (code == HCBT_ACTIVATE) {
    helper->messageBoxActivated(reinterpret_cast<HWND>(wParam));
    CallNextHookEx(hook, code, wParam, lParam);
    helper->unhook();
  } else if (hook) {
    CallNextHookEx(hook, code, wParam, lParam);
  }
  return 0;  // never block the activation
}

}  // namespace

WinHelper* WinHelper::create(HINSTANCE instance) {
  CXX::Ref<WinHelper> helper(CXX::alloc<WinHelper>());
  helper->instance_ = instance;
  return helper.take();
}

Connection* WinHelper::openConnection(const char* host, uint16_t port) {
  return WinSockConnection::create(host, port, this);
}

void WinHelper::start() {
  WSADATA data;
  int error = WSAStartup(MAKEWORD(2, 2), &data);
  if (error != 0) {
    std::printf("WSAStartup failed: %d\n", error);
    std::fflush(stdout);
    std::exit(1);
  }
  ShellKit& shellKit = ShellKit::shared();
  if (shellKit.loaded()) {
    LoadStringW(instance_, kAppIdString, appId_, 256);
    if (auto registerApplication = shellKit.registerApplication()) registerApplication(appId_);
  }
  createConnection();
}

void WinHelper::run() {
  MSG message;
  while (!stopRequested_) {
    BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) break;
    if (got == -1) continue;
    DispatchMessageW(&message);
  }
}

void WinHelper::finish() {
  closeConnection();
  WSACleanup();
}

void WinHelper::connectionChanged(Connection* connection, bool connected) {
  if (connected) refreshInternetSettings();
  Helper::connectionChanged(connection, connected);
}

void WinHelper::noticeReceived(Connection*, Message* message) {
  if (message->code() == frame::kCodeRefreshProxy) refreshInternetSettings();
}

void WinHelper::refreshInternetSettings() {
  if (InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0))
    InternetSetOptionW(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
}

CXX::Buffer* WinHelper::copyUserName() {
  char name[256];
  DWORD size = sizeof name;
  if (!GetUserNameA(name, &size) || size == 0) return nullptr;
  return CXX::MallocBuffer::create(name, size - 1);  // without the terminator
}

int WinHelper::showNotification(CXX::Buffer* title, CXX::Buffer* body) {
  wchar_t wideTitle[kTitleUnits];
  wchar_t wideBody[kBodyUnits];
  if (!toWide(title, wideTitle, kTitleUnits)) return static_cast<int>(GetLastError());
  if (!toWide(body, wideBody, kBodyUnits)) return static_cast<int>(GetLastError());
  ShellKit& shellKit = ShellKit::shared();
  if (shellKit.loaded()) {
    auto display = shellKit.displayNotification();
    if (display == nullptr) return 0;
    int32_t result = display(appId_, wideTitle, wideBody, 1);
    if (result >= 0) return result;
  }
  return showMessageBox(wideTitle, wideBody);
}

int WinHelper::showMessageBox(const wchar_t* title, const wchar_t* body) {
  if (messageBox_) {
    // A box is open (this call comes from inside its modal loop): update it in place.
    SetWindowTextW(messageBox_, title);
    SetWindowTextW(GetDlgItem(messageBox_, 0xFFFF), body);
    return 0;
  }
  boxOwner = this;
  hookHandle_ = SetWindowsHookExW(WH_CBT, &hookProc, nullptr, GetCurrentThreadId());
  MessageBoxW(nullptr, body, title, MB_OK | MB_ICONWARNING | MB_SYSTEMMODAL | MB_SETFOREGROUND);
  unhook();
  boxOwner = nullptr;
  messageBox_ = nullptr;
  return 0;
}

void WinHelper::unhook() {
  if (hookHandle_ == nullptr) return;
  UnhookWindowsHookEx(hookHandle_);
  hookHandle_ = nullptr;
}

void WinHelper::messageBoxActivated(HWND box) {
  messageBox_ = box;
  SendMessageW(box, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(LoadIconW(instance_, MAKEINTRESOURCEW(kProgramIcon))));
}

}  // namespace windows
}  // namespace Quarvo
