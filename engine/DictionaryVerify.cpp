// Dictionary::verify: a whole-file check run before a new list file is installed, so that a
// damaged download or rewrite is refused instead of replacing a working list.
#include "Dictionary.h"

namespace kiv {

using namespace format;

void Dictionary::verify() const {
  const uint8_t* r = recordArea_;
  uint32_t nextBucket = 0;  // buckets below this one have been seen or found empty
  for (uint32_t i = 0; i < domainCount_; ++i) {
    if (r >= end_) throw CXX::SystemError(kErrorCorrupted);
    DomainRecord record = DomainRecord::parse(r, static_cast<size_t>(end_ - r));
    uint32_t bucket = bucketOf(r, bucketCount_);
    uint32_t offset = static_cast<uint32_t>(r - recordArea_);
    if (bucket + 1 < nextBucket) throw CXX::SystemError(kErrorCorrupted);  // out of bucket order
    if (bucket + 1 > nextBucket) {
      // The first record of a bucket: every bucket skipped on the way must be empty.
      for (; nextBucket < bucket; ++nextBucket)
        if (bucketOffset(nextBucket) != kEmptyBucket) throw CXX::SystemError(kErrorCorrupted);
      if (bucketOffset(bucket) != offset) throw CXX::SystemError(kErrorCorrupted);
      nextBucket = bucket + 1;
    }
    r += record.size();
  }
  if (r != end_) throw CXX::SystemError(kErrorCorrupted);
  for (; nextBucket < bucketCount_; ++nextBucket)
    if (bucketOffset(nextBucket) != kEmptyBucket) throw CXX::SystemError(kErrorCorrupted);
}

}  // namespace kiv
