// kiv::update::Patch: every patch file of one update response folded into one set of
// changes: per domain, what happens to its main and www host words, and per path entry what
// happens to it. Consumed by one rewrite of the list (Dictionary::writeMerged).
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <unordered_map>
#include <vector>

#include "CXXRuntime/CXXBase"
#include "ListFormat.h"

namespace kiv {
namespace update {

// A key stored in the patch's key store, hashed and compared by content.
struct KeyRef {
  const uint8_t* bytes;
  bool operator==(const KeyRef& other) const { return std::memcmp(bytes, other.bytes, kKeySize) == 0; }
};
struct KeyRefHash {
  size_t operator()(const KeyRef& key) const {
    // SHA-1 bytes are uniform: the first bytes make a good hash.
    size_t h;
    std::memcpy(&h, key.bytes + 2, sizeof h);
    return h;
  }
};

// What happens to one domain's host words. Operations are item operation bytes (action in
// bits 0-1); 0 keeps what the list has.
struct DomainChange {
  uint8_t mainOperation = 0;
  uint8_t wwwOperation = 0;
  uint16_t mainPlain = 0;
  uint16_t wwwPlain = 0;
  uint16_t mainSecure = 0;
  uint16_t wwwSecure = 0;
};

// What happens to one path entry of a domain.
struct PathChange {
  uint8_t operation;
  uint32_t value;  // 0 for a delete
  Key pathKey;
};

class Patch : public CXX::Object {
  CXX_DECLARE_CLASS(Patch)

 public:
  static Patch* create();

  // Reads one patch file from the stream's position and folds it in. The stream must throw
  // on end of data (exceptions(failbit | badbit | eofbit)). Throws CXX::SystemError for a
  // foreign, unsupported, inconsistent or out-of-order file.
  void read(std::istream& input);

  uint32_t listType() const { return listType_; }
  double date() const { return date_; }

  // The change for a domain key, or null.
  const DomainChange* domainChange(const uint8_t* domainKey) const;
  // The path changes of a domain, in the order collected (empty when none).
  const std::vector<PathChange>& pathChanges(const uint8_t* domainKey) const;
  // Every domain change, in a fixed order (the same on every call).
  void forEachDomain(const std::function<void(const uint8_t* key, const DomainChange&)>& visit) const;
  size_t domainCount() const { return domains_.size(); }

 protected:
  Patch() = default;

 private:
  void readRecord(std::istream& input, uint8_t* key);
  void applyPathItem(const uint8_t* domainKey, uint8_t operation, const uint8_t* pathKey, uint32_t value);
  void merge(const uint8_t* key, const DomainChange& change);

  uint32_t listType_ = 0;
  double date_ = 0.0;
  std::unordered_map<KeyRef, std::vector<PathChange>, KeyRefHash> paths_;
  std::unordered_map<KeyRef, DomainChange, KeyRefHash> domains_;
  std::vector<std::unique_ptr<uint8_t[]>> keyStore_;  // one block of R keys per patch file
};

}  // namespace update
}  // namespace kiv
