// Quarvo::windows::WinHelper: the session helper on Windows. Runs the message loop that
// carries socket and timer events, shows notifications as toasts through ShellKit or as a
// system-modal message box, and refreshes the WinInet proxy settings when told.
#pragma once

#include "Helper.h"

typedef struct HINSTANCE__* HINSTANCE;
typedef struct HHOOK__* HHOOK;
typedef struct HWND__* HWND;

namespace Quarvo {
namespace windows {

class WinHelper : public Helper {
  CXX_DECLARE_CLASS(WinHelper)

 public:
  static WinHelper* create(HINSTANCE instance);

  void connectionChanged(Connection* connection, bool connected) override;
  void noticeReceived(Connection* connection, Message* message) override;

  void start() override;
  void run() override;
  void stop() override { stopRequested_ = true; }
  void finish() override;
  CXX::Buffer* copyUserName() override;
  int showNotification(CXX::Buffer* title, CXX::Buffer* body) override;

  void refreshInternetSettings();
  HWND messageBox() const { return messageBox_; }
  HHOOK hookHandle() const { return hookHandle_; }
  // The CBT hook saw the fallback box activate: keep its handle, give it the program icon,
  // and remove the hook (it exists only for this).
  void messageBoxActivated(HWND box);
  void unhook();

 protected:
  WinHelper() = default;
  Connection* openConnection(const char* host, uint16_t port) override;

 private:
  int showMessageBox(const wchar_t* title, const wchar_t* body);

  bool stopRequested_ = false;
  HHOOK hookHandle_ = nullptr;
  HINSTANCE instance_ = nullptr;
  HWND messageBox_ = nullptr;
  wchar_t appId_[256] = {};
};

}  // namespace windows
}  // namespace Quarvo
