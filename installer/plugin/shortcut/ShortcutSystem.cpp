#include "ShortcutSystem.h"

#include <objbase.h>

namespace setup {

namespace {

class RunningSystem : public ShortcutSystem {
 public:
  HRESULT createLink(IShellLinkW** link) override {
    return CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkW),
                            reinterpret_cast<void**>(link));
  }

  unsigned version() override {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info) || info.dwPlatformId != VER_PLATFORM_WIN32_NT) return 0;
    return info.dwMajorVersion * 256 + info.dwMinorVersion;
  }

  void* allocate(std::size_t bytes) override { return CoTaskMemAlloc(bytes); }
};

}  // namespace

ShortcutSystem& systemShortcuts() {
  static RunningSystem system;
  return system;
}

}  // namespace setup
