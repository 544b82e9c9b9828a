// Views into a mapped list file: a path table, a domain record, a decoded host word.
// Views are plain values pointing into the mapping; they live as long as its dictionary.
// Parsing checks every table against the bytes left and raises "Unexpected end of file".
#pragma once

#include <cstddef>
#include <cstdint>

#include "CheckResult.h"
#include "ListFormat.h"

namespace kiv {

// A decoded host word. A missing word decodes as {false, false, 0x3FFF}.
struct HostValue {
  bool extended = false;
  bool hostOnly = false;
  uint16_t category = format::kNoCategory;

  static HostValue decode(uint16_t word);
  bool hasCategory() const { return category != format::kNoCategory; }
};

// One path entry: its key and its 32-bit value.
struct PathEntry {
  const uint8_t* key;
  uint32_t value;
};

class PathTable {
 public:
  // The empty view: no table.
  PathTable() = default;
  // Parses a table at p with left bytes available; p null gives the empty view.
  static PathTable parse(const uint8_t* p, size_t left);

  bool present() const { return words_ != nullptr; }
  bool extended() const { return words_ && (format::readU16(words_) & format::kExtendedBit); }
  uint16_t plainWord() const { return words_ ? format::readU16(words_) : format::kNoCategory; }
  // The secure word, or 0x3FFF (no category) when the table is not extended.
  uint16_t secureWord() const { return extended() ? format::readU16(words_ + 2) : format::kNoCategory; }
  uint8_t kinds() const { return extended() ? static_cast<uint8_t>(format::readU16(words_ + 4) >> format::kKindShift) : 0; }
  uint16_t entryCount() const { return count_; }
  PathEntry entry(size_t index) const;
  // Bytes the table takes in the file.
  size_t size() const;

  // SHA-1 key of the string, binary search: 0x4000 | category for a match, 0 otherwise.
  // prefixOnly: entries without the prefix bit do not match.
  CheckResult lookup(const void* bytes, size_t length, bool prefixOnly) const;
  CheckResult lookupKey(const Key& key, bool prefixOnly) const;

 private:
  uint16_t count_ = 0;
  const uint8_t* words_ = nullptr;
  const uint8_t* entries_ = nullptr;
};

class DomainRecord {
 public:
  // The not-found view.
  DomainRecord() = default;
  // Parses a record at r with left bytes available.
  static DomainRecord parse(const uint8_t* r, size_t left);

  bool found() const { return main_.present(); }
  const uint8_t* key() const { return key_; }
  const PathTable& main() const { return main_; }
  const PathTable& www() const { return www_; }
  bool hasWwwTable() const { return www_.present(); }
  // Bytes the record takes in the file: key, main table, www table.
  size_t size() const { return kKeySize + main_.size() + www_.size(); }

 private:
  const uint8_t* key_ = nullptr;
  PathTable main_;
  PathTable www_;
};

}  // namespace kiv
