// Quarvo::windows::WinSockConnection: the helper's connection over a non-blocking Winsock
// socket whose readiness arrives as window messages (WSAAsyncSelect) at a hidden window.
#pragma once

#include <cstdint>

#include "Connection.h"

namespace Quarvo {
namespace windows {

class WinSockConnection : public Connection {
  CXX_DECLARE_CLASS(WinSockConnection)

 public:
  static WinSockConnection* create(const char* host, uint16_t port, Handler* handler);

  bool connect() override;
  void close() override;
  int64_t read(void* buffer, size_t size) override;
  int64_t write(const void* bytes, size_t size) override;

  // Registers the window class "Quarvo::Connection"; false (with GetLastError set) when that
  // fails. Done once, before the program's entry.
  static bool registerWindowClass();

 protected:
  WinSockConnection() = default;

 private:
  bool createWindow();

  void* window_ = nullptr;  // HWND, created by the first connect and kept
  uintptr_t socket_ = 0;    // SOCKET, 0 when closed
};

}  // namespace windows
}  // namespace Quarvo
