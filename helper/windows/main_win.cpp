// connhelper's entry: one session helper per desktop session, connected to the local
// service until it says stop.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "WinHelper.h"
#include "WinSockConnection.h"

namespace Quarvo {

// connhelper looks for ShellKit in its "lib" folder, then beside itself.
const wchar_t* const* shellKitSearchPath() {
  static const wchar_t* const path[] = {L"lib", L".", nullptr};
  return path;
}

namespace {

// The connection's window class exists before the entry, as the runtime's class records do.
struct RegisterConnectionWindowClass {
  RegisterConnectionWindowClass() {
    if (!windows::WinSockConnection::registerWindowClass()) {
      std::printf("RegisterClass failed %d\n", static_cast<int>(GetLastError()));
      std::fflush(stdout);
      std::exit(1);
    }
  }
} registerConnectionWindowClass;

}  // namespace
}  // namespace Quarvo

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // The helper lives until the process ends: nothing after finish() needs it.
  Quarvo::windows::WinHelper* helper = Quarvo::windows::WinHelper::create(instance);
  helper->start();
  helper->run();
  helper->finish();
  return 0;
}
