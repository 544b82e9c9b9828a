// The installer's UnlockProxies action: takes the product's proxy and browser preferences away.
#pragma once

#include "PluginCall.h"

namespace setup {

// Removes the proxy from every user and from the browser policies as the home bridge does,
// tells WinINet the settings changed, removes the Firefox and SeaMonkey preference files and
// restores Opera's. Reports nothing: the stack and variables are left alone.
void unlockProxies(PluginCall& call);

}  // namespace setup
