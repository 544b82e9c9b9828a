// kiv::Writer: produces a list file from a stream of domains in two passes over the same
// input. Pass 1 only measures each record and sums bytes per bucket; finishHeader() sizes and
// maps the output file and writes the header and bucket table; pass 2 writes every record
// straight to its final place in the mapping. Nothing is buffered beyond one record.
//
//   Writer* w = Writer::create(file, kBlackList, domains);
//   feed(w);                // beginDomain / setHostValues / addPath / endDomain, each domain
//   w->finishHeader(date);  // seconds
//   feed(w);                // exactly the same sequence again
//   w->finish();            // unmaps: the file is complete
//   w->release();
#pragma once

#include <cstdint>
#include <string>

#include "CXXRuntime/CXXBase"
#include "PathTable.h"
#include "RecordBuilder.h"

namespace kiv {

class Writer : public CXX::Object {
  CXX_DECLARE_CLASS(Writer)

 public:
  // Writes to an open file (read-write) that the caller owns.
  static Writer* create(CXX::platform::FileHandle target, uint32_t listType, uint32_t domainCount);
  // Writes to path, created or truncated with permissions 0644; deleted again if sizing or
  // mapping it fails.
  static Writer* createWithPath(const char* path, uint32_t listType, uint32_t domainCount);

  void beginDomain(const Key& key);
  // Host values of the current domain; a null pointer leaves that value none.
  void setHostValues(const HostValue* mainPlain, const HostValue* mainSecure,
                     const HostValue* wwwPlain, const HostValue* wwwSecure);
  void addPath(const Key& key, uint32_t value);
  // Throws CXX::RuntimeError "path count too large: %u > %u" or
  // "www path count too large: %u > %u" for 1024 or more entries in one table.
  void endDomain();

  // Ends pass 1: sizes and maps the output, writes header and bucket table.
  void finishHeader(double date);
  // Completes the file by releasing the output mapping.
  void finish();

  uint32_t bucketCount() const { return bucketCount_; }
  // Bytes of the whole file, known after finishHeader().
  uint64_t fileSize() const { return fileSize_; }

  void dealloc() override;

 protected:
  Writer() = default;

 private:
  void setUp(uint32_t listType, uint32_t domainCount);
  void sizeOutput();

  CXX::platform::FileHandle target_{};
  bool hasTarget_ = false;
  std::string path_;
  uint32_t records_ = 0;
  uint32_t currentBucketKey_ = 0;
  uint32_t listType_ = 0;
  uint32_t tableStart_ = 0;
  uint32_t bucketCount_ = 0;
  uint32_t domainCount_ = 0;
  uint64_t fileSize_ = 0;
  RecordBuilder builder_;
  uint32_t* buckets_ = nullptr;
  CXX::MappedBuffer* output_ = nullptr;
};

}  // namespace kiv
