// Dictionary::writeMerged: rewriting a list with the changes of one update response.
// Both writer passes run the same merge: the current records in file order, each changed by
// its domain's patch entry, then the patch's new domains in the patch's order.
#include <algorithm>

#include "Dictionary.h"
#include "Writer.h"
#include "update/Patch.h"
#include "update/PatchFormat.h"

namespace kiv {

using namespace format;
using update::DomainChange;
using update::Patch;
using update::PathChange;

namespace {

bool isDelete(uint8_t operation) { return patch::actionOf(operation) == patch::kDelete; }
bool isKeep(uint8_t operation) { return patch::actionOf(operation) == patch::kKeep; }

// Whether a table holds an entry with this key, whatever its value.
bool tableHasKey(const PathTable& table, const Key& key) {
  size_t low = 0, high = table.entryCount();
  while (low < high) {
    size_t middle = low + (high - low) / 2;
    int order = std::memcmp(table.entry(middle).key, key.bytes, kKeySize);
    if (order == 0) return true;
    if (order < 0)
      low = middle + 1;
    else
      high = middle;
  }
  return false;
}

const PathChange* findPathChange(const std::vector<PathChange>& changes, const uint8_t* pathKey) {
  for (const PathChange& change : changes)
    if (std::memcmp(change.pathKey.bytes, pathKey, kKeySize) == 0) return &change;
  return nullptr;
}

Key keyAt(const uint8_t* bytes) {
  Key key;
  std::memcpy(key.bytes, bytes, kKeySize);
  return key;
}

class Merge {
 public:
  Merge(const Dictionary& list, const Patch& patch, Writer& writer) : list_(list), patch_(patch), writer_(writer) {}

  void run() {
    const uint8_t* r = list_.recordArea();
    for (uint32_t i = 0; i < list_.domainCount(); ++i) {
      if (r >= list_.end()) throw CXX::SystemError(kErrorCorrupted);
      DomainRecord record = DomainRecord::parse(r, static_cast<size_t>(list_.end() - r));
      mergeRecord(record);
      r += record.size();
    }
    if (r != list_.end()) throw CXX::SystemError(kErrorCorrupted);
    patch_.forEachDomain([this](const uint8_t* key, const DomainChange& change) { addNewDomain(key, change); });
  }

 private:
  void mergeRecord(const DomainRecord& record) {
    const DomainChange* change = patch_.domainChange(record.key());
    if (change && isDelete(change->mainOperation)) return;
    writer_.beginDomain(keyAt(record.key()));
    setHostValues(record, change);
    const std::vector<PathChange>& paths = patch_.pathChanges(record.key());
    carryEntries(record.main(), paths);
    // The www table's entries carry over too: dropping them would lose list data that the
    // patch never asked to remove.
    carryEntries(record.www(), paths);
    for (const PathChange& path : paths) {
      if (isDelete(path.operation) || tableHasKey(record.main(), path.pathKey) || tableHasKey(record.www(), path.pathKey))
        continue;
      writer_.addPath(path.pathKey, path.value);
    }
    writer_.endDomain();
  }

  void setHostValues(const DomainRecord& record, const DomainChange* change) {
    HostValue mainPlain, mainSecure, wwwPlain, wwwSecure;
    if (change && !isKeep(change->mainOperation)) {
      mainPlain = HostValue::decode(change->mainPlain);
      mainSecure = HostValue::decode(change->mainSecure);
    } else {
      mainPlain = HostValue::decode(record.main().plainWord());
      mainSecure = HostValue::decode(record.main().secureWord());
    }
    if (change && !isKeep(change->wwwOperation) && !isDelete(change->wwwOperation)) {
      wwwPlain = HostValue::decode(change->wwwPlain);
      wwwSecure = HostValue::decode(change->wwwSecure);
    } else if ((!change || isKeep(change->wwwOperation)) && record.hasWwwTable()) {
      wwwPlain = HostValue::decode(record.www().plainWord());
      wwwSecure = HostValue::decode(record.www().secureWord());
    }
    writer_.setHostValues(&mainPlain, &mainSecure, &wwwPlain, &wwwSecure);
  }

  // A table's entries in file order, each kept, changed or dropped by its path change.
  void carryEntries(const PathTable& table, const std::vector<PathChange>& paths) {
    for (size_t i = 0; i < table.entryCount(); ++i) {
      PathEntry entry = table.entry(i);
      const PathChange* change = findPathChange(paths, entry.key);
      if (change == nullptr)
        writer_.addPath(keyAt(entry.key), entry.value);
      else if (!isDelete(change->operation))
        writer_.addPath(keyAt(entry.key), change->value);
    }
  }

  void addNewDomain(const uint8_t* key, const DomainChange& change) {
    if (isDelete(change.mainOperation) || list_.find(keyAt(key)).found()) return;
    writer_.beginDomain(keyAt(key));
    // A new domain whose main words the patch keeps has no host value of its own (words of 0
    // would read as category 0 and wrongly catch the whole host).
    HostValue mainPlain, mainSecure, wwwPlain, wwwSecure;
    if (!isKeep(change.mainOperation)) {
      mainPlain = HostValue::decode(change.mainPlain);
      mainSecure = HostValue::decode(change.mainSecure);
    }
    if (!isKeep(change.wwwOperation)) {
      wwwPlain = HostValue::decode(change.wwwPlain);
      wwwSecure = HostValue::decode(change.wwwSecure);
    }
    writer_.setHostValues(&mainPlain, &mainSecure, &wwwPlain, &wwwSecure);
    for (const PathChange& path : patch_.pathChanges(key))
      if (!isDelete(path.operation)) writer_.addPath(path.pathKey, path.value);
    writer_.endDomain();
  }

  const Dictionary& list_;
  const Patch& patch_;
  Writer& writer_;
};

}  // namespace

void Dictionary::writeMerged(const Patch* patch, CXX::platform::FileHandle target) const {
  CXX_REQUIRE(patch != NULL);
  int64_t count = domainCount_;
  patch->forEachDomain([&](const uint8_t* key, const DomainChange& change) {
    if (!find(keyAt(key)).found()) ++count;
    if (isDelete(change.mainOperation)) --count;
  });
  CXX::Ref<Writer> writer(Writer::create(target, listType_, static_cast<uint32_t>(std::max<int64_t>(count, 0))));
  Merge(*this, *patch, *writer).run();
  writer->finishHeader(patch->date());
  Merge(*this, *patch, *writer).run();
  writer->finish();
}

}  // namespace kiv
