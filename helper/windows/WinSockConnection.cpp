// Quarvo::windows::WinSockConnection (see WinSockConnection.h).
#include "WinSockConnection.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstring>

namespace Quarvo {
namespace windows {

CXX_DEFINE_CLASS(WinSockConnection, "Quarvo::windows", "WinSockConnection", Connection)

namespace {

constexpr UINT kSocketMessage = WM_USER + 1;
constexpr wchar_t kClassName[] = L"Quarvo::Connection";

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* connection = reinterpret_cast<WinSockConnection*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (connection != nullptr) {
    if (message == WM_DESTROY) return 0;
    if (message == kSocketMessage) {
      connection->handleSocketEvent(WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
      return 0;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Frees getaddrinfo's results on every path out.
class AddressList {
 public:
  ~AddressList() {
    if (list_) freeaddrinfo(list_);
  }
  addrinfo** receive() { return &list_; }
  addrinfo* get() const { return list_; }

 private:
  addrinfo* list_ = nullptr;
};

}  // namespace

bool WinSockConnection::registerWindowClass() {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = &windowProc;
  windowClass.lpszClassName = kClassName;
  return RegisterClassW(&windowClass) != 0;
}

WinSockConnection* WinSockConnection::create(const char* host, uint16_t port, Handler* handler) {
  CXX::Ref<WinSockConnection> connection(CXX::alloc<WinSockConnection>());
  connection->setUp(host, port, handler);
  return connection.take();
}

bool WinSockConnection::createWindow() {
  if (window_ == nullptr)
    window_ = CreateWindowExW(0, kClassName, kClassName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
  return window_ != nullptr;
}

bool WinSockConnection::connect() {
  if (socket_ != 0 || !Connection::connect()) return false;
  addrinfo hints = {};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  AddressList addresses;
  if (getaddrinfo(host(), nullptr, &hints, addresses.receive()) != 0) return false;
  const addrinfo* chosen = nullptr;
  for (const addrinfo* a = addresses.get(); a && !chosen; a = a->ai_next)
    if (a->ai_family == AF_INET || a->ai_family == AF_INET6) chosen = a;
  if (chosen == nullptr || chosen->ai_addrlen > 128) return false;

  sockaddr_storage address = {};
  std::memcpy(&address, chosen->ai_addr, chosen->ai_addrlen);
  // The port sits right after the family in both address kinds.
  reinterpret_cast<sockaddr_in*>(&address)->sin_port = htons(port());
  bool ok = address.ss_family != 0 && createWindow();
  if (ok) {
    SetWindowLongPtrW(static_cast<HWND>(window_), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SOCKET s = WSASocketW(address.ss_family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, 0);
    socket_ = s == INVALID_SOCKET ? 0 : s;
    ok = socket_ != 0 &&
         WSAAsyncSelect(socket_, static_cast<HWND>(window_), kSocketMessage, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE) == 0;
  }
  if (ok) {
    int result = ::connect(socket_, reinterpret_cast<sockaddr*>(&address), static_cast<int>(chosen->ai_addrlen));
    ok = result == 0 || WSAGetLastError() == WSAEWOULDBLOCK;
  }
  if (!ok) close();
  return ok;
}

void WinSockConnection::close() {
  if (socket_ != 0) {
    SetWindowLongPtrW(static_cast<HWND>(window_), GWLP_USERDATA, 0);
    WSAAsyncSelect(socket_, static_cast<HWND>(window_), 0, 0);
    closesocket(socket_);
    socket_ = 0;
  }
  Connection::close();
}

int64_t WinSockConnection::read(void* buffer, size_t size) {
  if (socket_ == 0) return -1;
  return recv(socket_, static_cast<char*>(buffer), static_cast<int>(size), 0);
}

int64_t WinSockConnection::write(const void* bytes, size_t size) {
  if (socket_ == 0) return -1;
  int sent = ::send(socket_, static_cast<const char*>(bytes), static_cast<int>(size > 0x7FFFFFFF ? 0x7FFFFFFF : size), 0);
  if (sent != SOCKET_ERROR) return sent;
  // A full socket buffer is normal on a non-blocking socket: FD_WRITE brings the rest.
  return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
}

}  // namespace windows
}  // namespace Quarvo
