// The installer's filtering-platform actions: register the product's provider with a permit
// filter for each local proxy port, or remove them again. Each pushes its status as "%d" text,
// "0" for success; where the platform is absent (Windows 7 and older) both do nothing and push
// "0". The platform is bound at the first call of either.
#pragma once

#include "PluginCall.h"

namespace setup {

void installProvider(PluginCall& call);
void uninstallProvider(PluginCall& call);

}  // namespace setup
