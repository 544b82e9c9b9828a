// The tile background colour an application package manifest gives its first application.
#pragma once

#include <objidl.h>

#include <cstdint>

namespace shellkit {

// What a manifest that cannot be read gives: the dark red of the system's own fallback.
constexpr std::int32_t kUnreadableManifestColor = 0x00008A;

// Reads the manifest XML from the stream's current position (the caller seeks) down the path
// Package / Applications / Application / VisualElements, matched by local name, so a prefixed
// uap:VisualElements counts. Each step reads forward: a self-closing element never matches and an
// element of another name is passed over with all its content. The VisualElements'
// BackgroundColor attribute then goes through parseBackgroundColor with `current` (no attribute:
// -1). A reader that cannot be made, a read error (a DTD among them) or the end of the document
// before the four elements gives kUnreadableManifestColor.
std::int32_t readManifestBackgroundColor(IStream* manifest, std::int32_t current);

}  // namespace shellkit
