// The patch file format, shared by the patch reader and the tools that write patches.
//
//   offset  size  field
//   0       4     magic "kivp"
//   4       2     version, 1
//   6       1     list type (1 black, 2 white)
//   7       1     reserved
//   8       8     timestamp: signed microseconds, the date of the list this patch produces
//   16      4     record count R
//   20      12    reserved
// then R records: 10-byte domain key, change items, the byte 0xFF.
// A change item is an operation byte (action in bits 0-1, target in bits 2-3) and its body:
//   target 0 or 3 (www host words), 1 (main host words): unless deleting, a plain word and,
//     when its bit 15 is set, a secure word;
//   target 2 (path entry): a 10-byte path key and, unless deleting, a 32-bit entry value.
// All integers little-endian.
#pragma once

#include <cstdint>

namespace kiv {
namespace patch {

constexpr char kMagic[4] = {'k', 'i', 'v', 'p'};
constexpr uint16_t kVersion = 1;
constexpr size_t kHeaderSize = 32;
constexpr size_t kOffsetVersion = 4;
constexpr size_t kOffsetListType = 6;
constexpr size_t kOffsetTimestamp = 8;
constexpr size_t kOffsetRecordCount = 16;

constexpr uint8_t kEndOfRecord = 0xFF;

// Actions (bits 0-1 of an operation byte).
constexpr uint8_t kKeep = 0;
constexpr uint8_t kAdd = 1;
constexpr uint8_t kModify = 2;
constexpr uint8_t kDelete = 3;
constexpr uint8_t kActionMask = 0x03;

// Targets (bits 2-3).
constexpr uint8_t kTargetWww = 0;
constexpr uint8_t kTargetMain = 1;
constexpr uint8_t kTargetPath = 2;
constexpr uint8_t kTargetWwwAlias = 3;
constexpr unsigned kTargetShift = 2;

// A host word the item does not carry.
constexpr uint16_t kAbsentWord = 0xFFFF;
constexpr uint16_t kSecureFollowsBit = 0x8000;

inline uint8_t actionOf(uint8_t operation) { return operation & kActionMask; }
inline uint8_t targetOf(uint8_t operation) { return (operation >> kTargetShift) & 0x03; }
inline uint8_t operation(uint8_t target, uint8_t action) { return static_cast<uint8_t>(target << kTargetShift | action); }

constexpr const char* kErrorSignature = "invalid patch file (signature does not match)";
constexpr const char* kErrorVersion = "Unsupported patch file version";
constexpr const char* kErrorType = "inconsistent patch type";
constexpr const char* kErrorOrder = "Out of order patch files detected";

}  // namespace patch
}  // namespace kiv
