#include "StoreApplications.h"

#include <memory>
#include <new>

namespace Quarvo {

namespace {

std::unique_ptr<ShellKit> shellKit;

}  // namespace

// Relative to homebridge.dll's own folder.
const wchar_t* const* shellKitSearchPath() {
  static const wchar_t* const path[] = {L".", L"..", nullptr};
  return path;
}

void loadStoreApplications() {
  if (shellKit) return;
  shellKit.reset(new (std::nothrow) ShellKit());
  if (shellKit && !shellKit->loaded()) shellKit.reset();
}

void unloadStoreApplications() { shellKit.reset(); }

ShellKit* storeApplications() { return shellKit.get(); }

}  // namespace Quarvo
