// The patch file that turns one list file into another: what the update server sends.
#pragma once

#include <string>

#include "Dictionary.h"

namespace kivtool {

// Writes to `patchPath` the patch from `from` to `to`, dated with `to`'s date.
// Returns the number of domain records in the patch.
size_t writeDiff(const kiv::Dictionary& from, const kiv::Dictionary& to, const std::string& patchPath);

}  // namespace kivtool
