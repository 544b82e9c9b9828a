// The 16-bit answer of a URL check: bits 15-14 say what it is, bits 0-13 carry the rest.
//   01: a match, bits 0-13 the category     00: no match (0)
//   10: an error, bits 0-13 the error code (2 no list loaded, 160 invalid URL)
#pragma once

#include <cstdint>

namespace kiv {

using CheckResult = uint16_t;

constexpr CheckResult kNoMatch = 0;
constexpr CheckResult kMatchBit = 0x4000;
constexpr CheckResult kErrorBit = 0x8000;
constexpr CheckResult kNoListLoaded = kErrorBit | 2;
constexpr CheckResult kInvalidUrl = kErrorBit | 160;

constexpr bool isMatch(CheckResult r) { return (r & 0xC000) == kMatchBit; }
constexpr bool isError(CheckResult r) { return (r & 0xC000) == kErrorBit; }
constexpr uint16_t categoryOf(CheckResult r) { return r & 0x3FFF; }
constexpr CheckResult matchOf(uint16_t category) { return static_cast<CheckResult>(kMatchBit | category); }

}  // namespace kiv
