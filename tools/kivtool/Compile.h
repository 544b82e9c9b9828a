// Writing a parsed list as a list file: both of kiv::Writer's passes over the same domains.
#pragma once

#include <cstdint>
#include <string>

#include "ListSource.h"

namespace kivtool {

struct CompileResult {
  uint32_t domains = 0;
  size_t entries = 0;
  uint64_t fileSize = 0;
};

// Writes the list to output (through a temporary file beside it, moved into place when
// complete, so a reader never maps half a list). Throws CXX::SystemError or
// CXX::RuntimeError from the writer, std::runtime_error for the final move.
CompileResult compileList(const ListSource& list, const std::string& output, uint32_t listType, double date);

}  // namespace kivtool
