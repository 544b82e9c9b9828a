// Computing a patch between two list files (see ListDiff.h).
#include "ListDiff.h"

#include <cstring>
#include <fstream>
#include <stdexcept>
#include <map>
#include <string>
#include <vector>

#include "ListFormat.h"
#include "update/PatchFormat.h"

namespace kivtool {

namespace {

using namespace kiv::patch;
using kiv::DomainRecord;
using kiv::PathTable;

struct Words {
  uint16_t plain;
  uint16_t secure;
  bool operator!=(const Words& o) const { return plain != o.plain || secure != o.secure; }
};

// Host words as a patch carries them: bit 15 of the plain word says a secure word follows.
Words wordsOf(const PathTable& table) {
  uint16_t plain = static_cast<uint16_t>(table.plainWord() & 0x7FFF);
  uint16_t secure = static_cast<uint16_t>(table.secureWord() & 0x7FFF);
  return {plain, secure};
}

std::map<std::string, const uint8_t*> recordsOf(const kiv::Dictionary& list) {
  std::map<std::string, const uint8_t*> records;
  const uint8_t* r = list.recordArea();
  for (uint32_t i = 0; i < list.domainCount() && r < list.end(); ++i) {
    DomainRecord record = DomainRecord::parse(r, static_cast<size_t>(list.end() - r));
    records[std::string(reinterpret_cast<const char*>(r), kiv::kKeySize)] = r;
    r += record.size();
  }
  return records;
}

std::map<std::string, uint32_t> entriesOf(const DomainRecord& record) {
  std::map<std::string, uint32_t> entries;
  for (const PathTable* table : {&record.main(), &record.www()})
    for (size_t i = 0; i < table->entryCount(); ++i) {
      kiv::PathEntry e = table->entry(i);
      entries[std::string(reinterpret_cast<const char*>(e.key), kiv::kKeySize)] = e.value;
    }
  return entries;
}

class PatchOut {
 public:
  void hostWords(uint8_t target, uint8_t action, const Words& words) {
    body_ += static_cast<char>(operation(target, action));
    if (action == kDelete) return;
    bool secure = (words.secure & kiv::format::kCategoryMask) != kiv::format::kNoCategory;
    u16(static_cast<uint16_t>(words.plain | (secure ? kSecureFollowsBit : 0)));
    if (secure) u16(words.secure);
  }
  void path(uint8_t action, const std::string& key, uint32_t value) {
    body_ += static_cast<char>(operation(kTargetPath, action));
    body_ += key;
    if (action != kDelete) u32(value);
  }
  void begin(const std::string& key) {
    body_ += key;
    ++records_;
  }
  void end() { body_ += static_cast<char>(kEndOfRecord); }
  void append(const PatchOut& items) { body_ += items.body_; }

  void write(const std::string& path, uint32_t listType, int64_t timestamp) const {
    uint8_t header[kHeaderSize] = {};
    std::memcpy(header, kMagic, 4);
    kiv::format::writeU16(header + kOffsetVersion, kVersion);
    header[kOffsetListType] = static_cast<uint8_t>(listType);
    kiv::format::writeU64(header + kOffsetTimestamp, static_cast<uint64_t>(timestamp));
    kiv::format::writeU32(header + kOffsetRecordCount, static_cast<uint32_t>(records_));
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    out << body_;
    if (!out) throw std::runtime_error(path + ": cannot be written");
  }
  size_t records() const { return records_; }

 private:
  void u16(uint16_t v) {
    body_ += static_cast<char>(v & 0xFF);
    body_ += static_cast<char>(v >> 8);
  }
  void u32(uint32_t v) {
    u16(static_cast<uint16_t>(v));
    u16(static_cast<uint16_t>(v >> 16));
  }

  std::string body_;
  size_t records_ = 0;
};

}  // namespace

size_t writeDiff(const kiv::Dictionary& from, const kiv::Dictionary& to, const std::string& patchPath) {
  auto oldRecords = recordsOf(from);
  auto newRecords = recordsOf(to);
  PatchOut patch;
  for (const auto& [key, r] : newRecords) {
    DomainRecord now = DomainRecord::parse(r, static_cast<size_t>(to.end() - r));
    auto before = oldRecords.find(key);
    bool added = before == oldRecords.end();
    DomainRecord was = added ? DomainRecord() : DomainRecord::parse(before->second, static_cast<size_t>(from.end() - before->second));
    bool changed = added;
    PatchOut record;  // this domain's items
    Words mainNow = wordsOf(now.main());
    if (added || wordsOf(was.main()) != mainNow) {
      record.hostWords(kTargetMain, added ? kAdd : kModify, mainNow);
      changed = true;
    }
    if (now.hasWwwTable() && (added || !was.hasWwwTable() || wordsOf(was.www()) != wordsOf(now.www()))) {
      record.hostWords(kTargetWww, added || !was.hasWwwTable() ? kAdd : kModify, wordsOf(now.www()));
      changed = true;
    } else if (!now.hasWwwTable() && !added && was.hasWwwTable()) {
      record.hostWords(kTargetWww, kDelete, {0, 0});
      changed = true;
    }
    auto entriesNow = entriesOf(now);
    auto entriesWas = added ? std::map<std::string, uint32_t>() : entriesOf(was);
    for (const auto& [path, value] : entriesNow) {
      auto old = entriesWas.find(path);
      if (old == entriesWas.end() || old->second != value) {
        record.path(old == entriesWas.end() ? kAdd : kModify, path, value);
        changed = true;
      }
    }
    for (const auto& [path, value] : entriesWas) {
      if (entriesNow.count(path)) continue;
      record.path(kDelete, path, 0);
      changed = true;
    }
    if (!changed) continue;
    patch.begin(key);
    patch.append(record);
    patch.end();
  }
  for (const auto& [key, r] : oldRecords) {
    if (newRecords.count(key)) continue;
    patch.begin(key);
    patch.hostWords(kTargetMain, kDelete, {0, 0});
    patch.end();
  }
  int64_t timestamp = kiv::format::timestampFromSeconds(to.date());
  patch.write(patchPath, to.listType(), timestamp);
  return patch.records();
}

}  // namespace kivtool
