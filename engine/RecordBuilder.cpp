// Laying out one domain record (see ListFormat.h for the bytes).
#include "RecordBuilder.h"

#include <algorithm>

#include "CXXRuntime/CXXBase"

namespace kiv {

using namespace format;

namespace {

constexpr uint32_t kTableLimit = 1024;

uint16_t hostWord(const HostValue& value, bool bit15) {
  return static_cast<uint16_t>(value.category | (value.hostOnly ? kHostOnlyBit : 0) | (bit15 ? kExtendedBit : 0));
}

void appendU16(std::vector<uint8_t>& out, uint16_t v) {
  uint8_t bytes[2];
  writeU16(bytes, v);
  out.insert(out.end(), bytes, bytes + 2);
}

}  // namespace

void RecordBuilder::begin(const Key& key) {
  key_ = key;
  entryCount_ = 0;
  wwwEntryCount_ = 0;
  mainKinds_ = wwwKinds_ = 0;
  mainPlain_ = wwwPlain_ = mainSecure_ = wwwSecure_ = HostValue();
  entries_.clear();
}

void RecordBuilder::setHostValues(const HostValue* mainPlain, const HostValue* mainSecure,
                                  const HostValue* wwwPlain, const HostValue* wwwSecure) {
  // Only category and host-only count; bit 15 is the writer's to compute.
  auto take = [](const HostValue* given) {
    HostValue value;
    if (given) {
      value.category = given->category & kCategoryMask;
      value.hostOnly = given->hostOnly;
    }
    return value;
  };
  mainPlain_ = take(mainPlain);
  mainSecure_ = take(mainSecure);
  wwwPlain_ = take(wwwPlain);
  wwwSecure_ = take(wwwSecure);
}

uint8_t RecordBuilder::kindOf(uint32_t value) {
  bool prefix = value & kEntryPrefixBit;
  if (value & kEntryQueryBit) return prefix ? kKindPrefixQuery : kKindExactQuery;
  if (value & kEntryFragmentBit) return prefix ? kKindPrefixFragment : kKindExactFragment;
  return prefix ? kKindPrefixPath : kKindExactPath;
}

void RecordBuilder::addPath(const Key& key, uint32_t value) {
  ++entryCount_;
  bool www = value & kEntryWwwBit;
  if (www) ++wwwEntryCount_;
  if (measuring_) return;
  entries_.push_back(Entry{key, value & kEntryValueMask});
  (www ? wwwKinds_ : mainKinds_) |= kindOf(value);
}

size_t RecordBuilder::serialise() {
  uint32_t e = entryCount_;
  uint32_t w = wwwEntryCount_;
  bool wwwTable = wwwPlain_.hasCategory() || wwwSecure_.hasCategory();
  uint32_t m = wwwTable ? e - w : e;
  if (m >= kTableLimit) throw CXX::RuntimeError(CXX::formatString("path count too large: %u > %u", m, kTableLimit));
  if (w >= kTableLimit) throw CXX::RuntimeError(CXX::formatString("www path count too large: %u > %u", w, kTableLimit));
  bool mainExtended = wwwTable || m > 0 || mainSecure_.hasCategory();
  bool wwwExtended = wwwSecure_.hasCategory() || w > 0;
  size_t size = kKeySize + (mainExtended ? kExtendedTableHeaderSize : kPlainTableSize) +
                (wwwTable ? (wwwExtended ? kExtendedTableHeaderSize : kPlainTableSize) : 0) + kEntrySize * e;
  if (measuring_) return size;

  uint8_t mainKinds = wwwTable ? mainKinds_ : static_cast<uint8_t>(mainKinds_ | wwwKinds_);
  std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
    int order = std::memcmp(a.key.bytes, b.key.bytes, kKeySize);
    return order != 0 ? order < 0 : a.value < b.value;
  });

  record_.clear();
  record_.insert(record_.end(), key_.bytes, key_.bytes + kKeySize);
  appendU16(record_, hostWord(mainPlain_, mainExtended));
  auto appendEntries = [this](auto wanted) {
    for (const Entry& entry : entries_) {
      if (!wanted(entry)) continue;
      uint8_t bytes[kEntrySize];
      std::memcpy(bytes, entry.key.bytes, kKeySize);
      writeU32(bytes + kKeySize, entry.value);
      record_.insert(record_.end(), bytes, bytes + kEntrySize);
    }
  };
  auto isWww = [](const Entry& entry) { return (entry.value & kEntryWwwBit) != 0; };
  if (mainExtended) {
    appendU16(record_, hostWord(mainSecure_, wwwTable));
    appendU16(record_, static_cast<uint16_t>(m | (mainKinds & 0x3F) << kKindShift));
    // Without a www table the www entries stay in the main table, www bit and all.
    appendEntries([&](const Entry& entry) { return !wwwTable || !isWww(entry); });
  }
  if (wwwTable) {
    appendU16(record_, hostWord(wwwPlain_, wwwExtended));
    if (wwwExtended) {
      appendU16(record_, hostWord(wwwSecure_, false));
      appendU16(record_, static_cast<uint16_t>(w | (wwwKinds_ & 0x3F) << kKindShift));
      appendEntries(isWww);
    }
  }
  return size;
}

}  // namespace kiv
