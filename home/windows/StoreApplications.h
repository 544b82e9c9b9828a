// homebridge's hold on ShellKit.dll, for the store-application natives: loaded once when the
// library loads (from its own folder or the one above, on Windows 8 and later), freed at unload.
#pragma once

#include "ShellKitClient.h"

namespace Quarvo {

void loadStoreApplications();
void unloadStoreApplications();
// Null when ShellKit is not loaded.
ShellKit* storeApplications();

}  // namespace Quarvo
