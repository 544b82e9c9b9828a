// The list file format, described once for the reader, the URL check, the writer and the
// patch code.
//
//   offset  size  field
//   0       4     magic "kivf"
//   4       2     version, 1
//   6       1     list type: 1 black list, 2 white list
//   7       1     reserved, 0
//   8       8     timestamp: signed microseconds
//   16      4     domain count
//   20      4     bucket count N (at least 1)
//   24      8     reserved, 0
//   32      4*N   bucket table: offset of a bucket's first record in the record area, or
//                 0xFFFFFFFF for an empty bucket
//   32+4*N  ...   record area: domain records, bucket 0's first, to the end of the file
//
// Domain record: 10-byte key, main path table, then a www path table when bit 15 of both
// the main table's plain and secure words is set.
// Path table: plain host word; when its bit 15 (extended) is set, a secure host word, an
// entry word (count in bits 0-9, kind flags in bits 10-15) and count 14-byte entries
// (10-byte key, 32-bit value) sorted by key.
// All integers are little-endian and unaligned. Names are stored only as keys: the first 10
// bytes of the SHA-1 of the name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kiv {

constexpr size_t kKeySize = 10;

// A 10-byte name key, compared bytewise.
struct Key {
  uint8_t bytes[kKeySize];

  bool operator==(const Key& other) const { return std::memcmp(bytes, other.bytes, kKeySize) == 0; }
  bool operator!=(const Key& other) const { return !(*this == other); }
  bool operator<(const Key& other) const { return std::memcmp(bytes, other.bytes, kKeySize) < 0; }
};

namespace format {

constexpr char kMagic[4] = {'k', 'i', 'v', 'f'};
constexpr uint16_t kVersion = 1;
constexpr size_t kHeaderSize = 32;
constexpr size_t kOffsetMagic = 0;
constexpr size_t kOffsetVersion = 4;
constexpr size_t kOffsetListType = 6;
constexpr size_t kOffsetTimestamp = 8;
constexpr size_t kOffsetDomainCount = 16;
constexpr size_t kOffsetBucketCount = 20;

constexpr uint32_t kBlackList = 1;
constexpr uint32_t kWhiteList = 2;

constexpr uint32_t kEmptyBucket = 0xFFFFFFFF;

// Host words.
constexpr uint16_t kCategoryMask = 0x3FFF;
constexpr uint16_t kNoCategory = 0x3FFF;
constexpr uint16_t kHostOnlyBit = 0x4000;
constexpr uint16_t kExtendedBit = 0x8000;  // plain word: more follows; main secure word: www table follows

// Entry word.
constexpr uint16_t kEntryCountMask = 0x3FF;
constexpr unsigned kKindShift = 10;
constexpr uint32_t kMaxEntries = 1023;

// Kind flags of a table's entries.
constexpr uint8_t kKindPrefixPath = 0x01;
constexpr uint8_t kKindPrefixFragment = 0x02;
constexpr uint8_t kKindPrefixQuery = 0x04;
constexpr uint8_t kKindExactPath = 0x08;
constexpr uint8_t kKindExactFragment = 0x10;
constexpr uint8_t kKindExactQuery = 0x20;

// Path entry.
constexpr size_t kEntrySize = kKeySize + 4;
constexpr uint32_t kEntryPrefixBit = 1u << 14;
constexpr uint32_t kEntryWwwBit = 1u << 15;
constexpr uint32_t kEntryQueryBit = 1u << 16;
constexpr uint32_t kEntryFragmentBit = 1u << 17;
// The bits a rewrite carries through: category, prefix, www, query, fragment.
constexpr uint32_t kEntryValueMask = 0x3FFFF;

// Table sizes: 2 bytes plain, 6 + 14*E extended.
constexpr size_t kPlainTableSize = 2;
constexpr size_t kExtendedTableHeaderSize = 6;
// A record needs at least its key and one word; fewer bytes left end a bucket walk.
constexpr size_t kMinRecordSize = kKeySize + 1;

// Messages of a damaged or foreign file.
constexpr const char* kErrorInvalidFile = "invalid kiv file";
constexpr const char* kErrorSignature = "invalid kiv file signature";
constexpr const char* kErrorVersion = "Unsupported kiv file version";
constexpr const char* kErrorTableEnd = "Unexpected end of file";
constexpr const char* kErrorBucketEnd = "unexpected end of file";
constexpr const char* kErrorCorrupted = "corrupted dictionary ?";

inline uint16_t readU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t readU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline uint64_t readU64(const uint8_t* p) {
  return static_cast<uint64_t>(readU32(p)) | static_cast<uint64_t>(readU32(p + 4)) << 32;
}
inline void writeU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void writeU32(uint8_t* p, uint32_t v) {
  writeU16(p, static_cast<uint16_t>(v));
  writeU16(p + 2, static_cast<uint16_t>(v >> 16));
}
inline void writeU64(uint8_t* p, uint64_t v) {
  writeU32(p, static_cast<uint32_t>(v));
  writeU32(p + 4, static_cast<uint32_t>(v >> 32));
}

// The bucket of a domain key: key bytes 0..3 as little-endian, modulo the bucket count.
inline uint32_t bucketOf(const uint8_t* key, uint32_t bucketCount) { return readU32(key) % bucketCount; }

// N = floor(domains / 0.95) in single precision, so buckets hold about 0.95 records; a list
// without domains gets one empty bucket, since readers refuse N = 0.
inline uint32_t bucketCountFor(uint32_t domainCount) {
  uint32_t n = static_cast<uint32_t>(static_cast<float>(domainCount) / 0.95f);
  return n == 0 ? 1 : n;
}

// Timestamps: signed microseconds in the file, seconds as a double in memory.
inline double secondsFromTimestamp(int64_t microseconds) { return static_cast<double>(microseconds) / 1000000.0; }
int64_t timestampFromSeconds(double seconds);

}  // namespace format
}  // namespace kiv
