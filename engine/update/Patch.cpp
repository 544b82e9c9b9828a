// Reading patch files and folding them into one set of changes (see Patch.h, PatchFormat.h).
#include "Patch.h"

#include <algorithm>

#include "PatchFormat.h"

namespace kiv {
namespace update {

using namespace patch;

CXX_DEFINE_CLASS(Patch, "kiv::update", "Patch", CXX::Object)

namespace {

uint8_t readByte(std::istream& input) {
  char c;
  input.read(&c, 1);
  return static_cast<uint8_t>(c);
}

uint16_t readU16(std::istream& input) {
  uint8_t bytes[2];
  input.read(reinterpret_cast<char*>(bytes), 2);
  return format::readU16(bytes);
}

uint32_t readU32(std::istream& input) {
  uint8_t bytes[4];
  input.read(reinterpret_cast<char*>(bytes), 4);
  return format::readU32(bytes);
}

// The plain and secure words of a host-words item; words the item does not carry are 0xFFFF.
void readHostWords(std::istream& input, uint8_t operation, uint16_t& plain, uint16_t& secure) {
  plain = secure = kAbsentWord;
  if (actionOf(operation) == kDelete) return;
  plain = readU16(input);
  if (plain & kSecureFollowsBit) secure = readU16(input);
}

// The transition rule for one table of a domain change: old operation and words, new ones.
void combineTable(uint8_t& operation, uint16_t& plain, uint16_t& secure, uint8_t newOperation, uint16_t newPlain,
                  uint16_t newSecure) {
  uint8_t oldAction = actionOf(operation);
  uint8_t newAction = actionOf(newOperation);
  if (newAction == kKeep) return;
  auto take = [&] {
    plain = newPlain;
    secure = newSecure;
  };
  switch (oldAction) {
    case kKeep:
      operation = newOperation;
      take();
      return;
    case kAdd:
      if (newAction == kModify) take();
      if (newAction == kDelete) operation = static_cast<uint8_t>(operation & ~kActionMask);  // keep
      return;
    case kModify:
      if (newAction == kModify) take();
      if (newAction == kDelete) {
        operation = static_cast<uint8_t>((operation & ~kActionMask) | kDelete);
        plain = secure = kAbsentWord;
      }
      return;
    case kDelete:
      if (newAction == kAdd) {
        operation = static_cast<uint8_t>((operation & ~kActionMask) | kModify);
        take();
      }
      return;
  }
}

const std::vector<PathChange>& noPathChanges() {
  static const std::vector<PathChange> none;
  return none;
}

}  // namespace

Patch* Patch::create() {
  CXX::Ref<Patch> patch(CXX::alloc<Patch>());
  patch->init();
  return patch.take();
}

void Patch::read(std::istream& input) {
  uint8_t header[kHeaderSize];
  input.read(reinterpret_cast<char*>(header), kHeaderSize);
  if (std::memcmp(header, kMagic, sizeof kMagic) != 0) throw CXX::SystemError(kErrorSignature);
  if (format::readU16(header + kOffsetVersion) != kVersion) throw CXX::SystemError(kErrorVersion);
  uint32_t type = header[kOffsetListType];
  if (listType_ == 0)
    listType_ = type;
  else if (type != listType_)
    throw CXX::SystemError(kErrorType);
  double date = format::secondsFromTimestamp(static_cast<int64_t>(format::readU64(header + kOffsetTimestamp)));
  if (!(date > date_)) throw CXX::SystemError(kErrorOrder);
  date_ = date;

  uint32_t records = format::readU32(header + kOffsetRecordCount);
  if (records == 0) return;
  // The count comes from the file: grow with what actually arrives rather than reserving
  // for a count the body may not back (a damaged header must not exhaust memory).
  constexpr uint32_t kReserveLimit = 1u << 20;
  domains_.reserve(domains_.size() + std::min(records, kReserveLimit));
  uint32_t blockKeys = std::min(records, kReserveLimit);
  for (uint32_t done = 0; done < records;) {
    uint32_t count = std::min(blockKeys, records - done);
    keyStore_.emplace_back(new uint8_t[static_cast<size_t>(count) * kKeySize]);
    uint8_t* block = keyStore_.back().get();
    for (uint32_t i = 0; i < count; ++i) readRecord(input, block + static_cast<size_t>(i) * kKeySize);
    done += count;
  }
}

void Patch::readRecord(std::istream& input, uint8_t* key) {
  input.read(reinterpret_cast<char*>(key), kKeySize);
  DomainChange change;
  for (uint8_t operation = readByte(input); operation != kEndOfRecord; operation = readByte(input)) {
    if (operation & 0xF0) throw CXX::SystemError("invalid patch file (unknown change item)");
    switch (targetOf(operation)) {
      case kTargetMain:
        change.mainOperation = operation;
        readHostWords(input, operation, change.mainPlain, change.mainSecure);
        break;
      case kTargetPath: {
        uint8_t pathKey[kKeySize];
        input.read(reinterpret_cast<char*>(pathKey), kKeySize);
        uint32_t value = actionOf(operation) == kDelete ? 0 : readU32(input);
        applyPathItem(key, operation, pathKey, value);
        break;
      }
      default:  // kTargetWww, kTargetWwwAlias
        change.wwwOperation = operation;
        readHostWords(input, operation, change.wwwPlain, change.wwwSecure);
        break;
    }
  }
  merge(key, change);
}

void Patch::applyPathItem(const uint8_t* domainKey, uint8_t operation, const uint8_t* pathKey, uint32_t value) {
  std::vector<PathChange>& changes = paths_[KeyRef{domainKey}];
  for (auto it = changes.begin(); it != changes.end(); ++it) {
    if (std::memcmp(it->pathKey.bytes, pathKey, kKeySize) != 0) continue;
    uint8_t oldAction = actionOf(it->operation);
    uint8_t newAction = actionOf(operation);
    if (newAction == kKeep || oldAction == kKeep) return;
    if (oldAction == kAdd && newAction == kModify) it->value = value;
    if (oldAction == kAdd && newAction == kDelete) changes.erase(it);
    if (oldAction == kModify && newAction == kModify) it->value = value;
    if (oldAction == kModify && newAction == kDelete) {
      it->operation = static_cast<uint8_t>((it->operation & ~kActionMask) | kDelete);
      it->value = 0;
    }
    if (oldAction == kDelete && newAction == kAdd) {
      it->operation = static_cast<uint8_t>((it->operation & ~kActionMask) | kModify);
      it->value = value;
    }
    return;
  }
  PathChange change{operation, value, {}};
  std::memcpy(change.pathKey.bytes, pathKey, kKeySize);
  changes.push_back(change);
}

void Patch::merge(const uint8_t* key, const DomainChange& change) {
  KeyRef ref{key};
  auto existing = domains_.find(ref);
  bool deletes = actionOf(change.mainOperation) == kDelete;
  if (existing == domains_.end()) {
    DomainChange& entry = domains_.emplace(ref, change).first->second;
    if (deletes) {
      paths_.erase(ref);
      entry.wwwOperation = kKeep;
    }
    return;
  }
  DomainChange& old = existing->second;
  if (deletes) {
    paths_.erase(ref);
    // Added and deleted within one response: no trace at all.
    if (actionOf(old.mainOperation) == kAdd) {
      domains_.erase(existing);
      return;
    }
    old.mainOperation = change.mainOperation;
    old.wwwOperation = kKeep;
    return;
  }
  combineTable(old.mainOperation, old.mainPlain, old.mainSecure, change.mainOperation, change.mainPlain,
               change.mainSecure);
  combineTable(old.wwwOperation, old.wwwPlain, old.wwwSecure, change.wwwOperation, change.wwwPlain, change.wwwSecure);
}

const DomainChange* Patch::domainChange(const uint8_t* domainKey) const {
  auto found = domains_.find(KeyRef{domainKey});
  return found == domains_.end() ? nullptr : &found->second;
}

const std::vector<PathChange>& Patch::pathChanges(const uint8_t* domainKey) const {
  auto found = paths_.find(KeyRef{domainKey});
  return found == paths_.end() ? noPathChanges() : found->second;
}

void Patch::forEachDomain(const std::function<void(const uint8_t*, const DomainChange&)>& visit) const {
  for (const auto& [key, change] : domains_) visit(key.bytes, change);
}

}  // namespace update
}  // namespace kiv
