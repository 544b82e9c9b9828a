// The two receivers of an update reply's bodies: a complete list streamed into a temporary
// file next to the list, or patch bodies folded into one Patch and merged with the list.
// Both check the new file completely before installing it, so a damaged file never
// replaces a working list.
#pragma once

#include <memory>
#include <string>

#include "Updater.h"

namespace kiv {
namespace update {

// Largest bodies accepted.
constexpr uint64_t kMaxListSize = 31457280;  // 30 MiB
constexpr uint64_t kMaxPatchSize = 2097152;  // 2 MiB

std::unique_ptr<Updater::UpdaterImpl> makeFullListReceiver(const std::string& listPath);
std::unique_ptr<Updater::UpdaterImpl> makePatchReceiver(int32_t allowedBodies);

// The folder a list's temporary files go to; false for a path over 2048 bytes.
bool temporaryFolderFor(const std::string& listPath, std::string* folder);

}  // namespace update
}  // namespace kiv
