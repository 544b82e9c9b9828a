// The CreateShortCut export's work: pops the shortcut path, the target path and the application
// identifier, writes the link, and puts "0" or the first failing status ("%d") into $R0.
#pragma once

#include "PluginCall.h"
#include "ShortcutSystem.h"

namespace setup {

void createShortcut(PluginCall& call);

// As above, with links, version and allocator from `system`.
void createShortcut(PluginCall& call, ShortcutSystem& system);

}  // namespace setup
