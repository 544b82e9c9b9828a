// What shortcut creation takes from the system: new shell link objects, the system's version and
// the COM task allocator. Shipped code uses systemShortcuts(); tests hand in their own link
// object and version through the same seam.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <cstddef>

namespace setup {

class ShortcutSystem {
 public:
  virtual ~ShortcutSystem() = default;

  // A new, empty shell link; the only place links come from.
  virtual HRESULT createLink(IShellLinkW** link) = 0;

  // The system's version as major * 256 + minor (0x0602 for Windows 8).
  virtual unsigned version() = 0;

  // A block from the COM task allocator (PropVariantClear frees property texts there), or null.
  virtual void* allocate(std::size_t bytes) = 0;
};

// The running system: in-process shell links through COM.
ShortcutSystem& systemShortcuts();

}  // namespace setup
