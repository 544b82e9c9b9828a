// The installer's BrowserRunning action: whether a browser runs in the console user's session.
#pragma once

#include "PluginCall.h"

namespace setup {

// Variable 11 is "-1" until the walk over the processes has run; then variable 10 holds the
// walk's status and, when that is 0, variable 11 "1" (a browser of the console user, or of
// anyone when nobody is at the console, runs) or "0".
void browserRunning(PluginCall& call);

}  // namespace setup
