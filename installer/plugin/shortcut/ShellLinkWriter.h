// Writes one shell link file: target, empty arguments, the application identifier where the
// system supports it, then the file itself. Stops at the first failing step, so no link is
// saved after a failure.
#pragma once

#include "ShortcutSystem.h"

#include <string>

namespace setup {

struct ShortcutRequest {
  std::u16string shortcutPath;
  std::u16string targetPath;
  std::u16string applicationId;
};

// S_OK, or the status of the first step that failed.
HRESULT writeShellLink(const ShortcutRequest& request, ShortcutSystem& system);

}  // namespace setup
