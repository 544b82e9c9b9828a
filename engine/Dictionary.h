// kiv::Dictionary: the read side of a list file. Maps the file read-only, validates the
// header once and answers lookups straight from the mapped bytes; never modified after open,
// so any number of threads may look up at once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "CXXRuntime/CXXBase"
#include "CheckResult.h"
#include "PathTable.h"

namespace kiv {

namespace update {
class Patch;
}

class Dictionary : public CXX::Object {
  CXX_DECLARE_CLASS(Dictionary)

 public:
  // A new dictionary opened on path; throws CXX::SystemError (nothing is left allocated).
  static Dictionary* create(const char* path);

  // Maps and validates the file at path (8-bit, system code page), replacing the mapping held
  // before. Throws CXX::SystemError: "CreateFile: <code>", "GetFileSizeEx: <code>",
  // "CreateFileMapping: <code>", "MapViewOfFile: <code>", "invalid kiv file",
  // "invalid kiv file signature", "Unsupported kiv file version".
  void open(const char* path);

  // The record of a 10-byte domain key, or the not-found view. Throws CXX::SystemError
  // "unexpected end of file" / "Unexpected end of file" for damage met on the way.
  DomainRecord find(const Key& key) const;
  DomainRecord findName(const void* bytes, size_t length) const;

  // The category this list gives to url (see UrlCheck.cpp); list damage propagates as
  // CXX::SystemError.
  CheckResult check(const char* url, size_t length) const;

  // Writes this list merged with patch into target, a file the caller opened read-write
  // (see DictionaryMerge.cpp). The caller holds the list's read lock. Throws
  // CXX::SystemError "corrupted dictionary ?" when the records do not fill the file exactly,
  // and the writer's and reader's errors; the target is then the caller's to delete.
  void writeMerged(const update::Patch* patch, CXX::platform::FileHandle target) const;

  // Walks every record and the bucket table: records fill the record area exactly, their
  // count is the header's, and every bucket entry points at its bucket's first record (or is
  // empty when the bucket has none). After this no look-up can meet damage. Throws
  // CXX::SystemError "corrupted dictionary ?" or a table error.
  void verify() const;

  uint32_t listType() const { return listType_; }
  double date() const { return date_; }
  uint32_t domainCount() const { return domainCount_; }
  uint32_t bucketCount() const { return bucketCount_; }
  uint32_t bucketOffset(uint32_t bucket) const { return format::readU32(reinterpret_cast<const uint8_t*>(bucketTable_) + 4 * static_cast<size_t>(bucket)); }
  // The record area, from the end of the bucket table to the end of the file.
  const uint8_t* recordArea() const { return recordArea_; }
  const uint8_t* end() const { return end_; }

  void dealloc() override;

 protected:
  Dictionary() = default;

 private:
  void validateHeader();

  uint32_t listType_ = 0;
  double date_ = 0.0;
  uint32_t domainCount_ = 0;
  uint32_t bucketCount_ = 0;
  const uint32_t* bucketTable_ = nullptr;
  const uint8_t* recordArea_ = nullptr;
  const uint8_t* end_ = nullptr;
  CXX::MappedBuffer* buffer_ = nullptr;
};

}  // namespace kiv
