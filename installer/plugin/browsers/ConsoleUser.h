// Who is logged on at the console, through the terminal services (bound at run time, so the
// plug-in loads on any system).
#pragma once

#include <string>

namespace setup {

// The console session's user name; empty when there is no console session, the name cannot be
// read or the system lacks the terminal-services functions.
std::wstring consoleUserName();

}  // namespace setup
