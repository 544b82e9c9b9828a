// Path tables, domain records and host words read from the mapped list (see ListFormat.h).
#include "PathTable.h"

#include "CXXRuntime/CXXBase"
#include "Sha1Key.h"

namespace kiv {

using namespace format;

HostValue HostValue::decode(uint16_t word) {
  HostValue value;
  value.extended = (word & kExtendedBit) != 0;
  value.hostOnly = (word & kHostOnlyBit) != 0;
  value.category = word & kCategoryMask;
  return value;
}

PathTable PathTable::parse(const uint8_t* p, size_t left) {
  PathTable table;
  if (p == nullptr) return table;
  if (left < kPlainTableSize) throw CXX::SystemError(kErrorTableEnd);
  table.words_ = p;
  if (!(readU16(p) & kExtendedBit)) return table;
  if (left < kExtendedTableHeaderSize) throw CXX::SystemError(kErrorTableEnd);
  table.count_ = readU16(p + 4) & kEntryCountMask;
  if (table.count_ == 0) return table;
  if (left < kExtendedTableHeaderSize + kEntrySize * table.count_) throw CXX::SystemError(kErrorTableEnd);
  table.entries_ = p + kExtendedTableHeaderSize;
  return table;
}

size_t PathTable::size() const {
  if (!words_) return 0;
  if (!extended()) return kPlainTableSize;
  return kExtendedTableHeaderSize + kEntrySize * count_;
}

PathEntry PathTable::entry(size_t index) const {
  const uint8_t* e = entries_ + kEntrySize * index;
  return PathEntry{e, readU32(e + kKeySize)};
}

CheckResult PathTable::lookup(const void* bytes, size_t length, bool prefixOnly) const {
  if (count_ == 0) return kNoMatch;
  return lookupKey(keyOf(bytes, length), prefixOnly);
}

CheckResult PathTable::lookupKey(const Key& key, bool prefixOnly) const {
  // First entry whose key is not less than the wanted one.
  size_t low = 0, high = count_;
  while (low < high) {
    size_t middle = low + (high - low) / 2;
    if (std::memcmp(entries_ + kEntrySize * middle, key.bytes, kKeySize) < 0)
      low = middle + 1;
    else
      high = middle;
  }
  if (low == count_) return kNoMatch;
  const uint8_t* e = entries_ + kEntrySize * low;
  if (std::memcmp(e, key.bytes, kKeySize) != 0) return kNoMatch;
  uint32_t value = readU32(e + kKeySize);
  if (prefixOnly && !(value & kEntryPrefixBit)) return kNoMatch;
  uint16_t category = value & kCategoryMask;
  if (category == kNoCategory) return kNoMatch;
  return matchOf(category);
}

DomainRecord DomainRecord::parse(const uint8_t* r, size_t left) {
  DomainRecord record;
  record.key_ = r;
  size_t afterKey = left < kKeySize ? 0 : left - kKeySize;
  record.main_ = PathTable::parse(r + kKeySize, afterKey);
  if (record.main_.extended() && (record.main_.secureWord() & kExtendedBit)) {
    size_t mainSize = record.main_.size();
    record.www_ = PathTable::parse(r + kKeySize + mainSize, afterKey - mainSize);
  }
  return record;
}

}  // namespace kiv
