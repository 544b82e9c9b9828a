// The SHA1 export's work: the installer's top text, in the ANSI code page, hashed twice with
// SHA-1; the second digest goes to $R0 as 40 lower-case hexadecimal digits.
#pragma once

#include "PluginCall.h"

namespace setup {

// $R0 is emptied first and stays empty when nothing can be popped or hashed.
void hashText(PluginCall& call);

}  // namespace setup
