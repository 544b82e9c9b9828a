// kiv::Dictionary: opening, header validation and domain look-up over the mapped list.
#include "Dictionary.h"

#include "Env.h"
#include "Sha1Key.h"

namespace kiv {

using namespace format;

CXX_DEFINE_CLASS(Dictionary, "kiv", "Dictionary", CXX::Object)

Dictionary* Dictionary::create(const char* path) {
  CXX::Ref<Dictionary> dictionary(CXX::alloc<Dictionary>());
  dictionary->open(path);
  return dictionary.take();
}

namespace {

// Closes the file on every path out; the mapping keeps the data once it exists.
class ScopedFile {
 public:
  explicit ScopedFile(env::FileHandle file) : file_(file) {}
  ~ScopedFile() { env::closeFile(file_); }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;
  env::FileHandle get() const { return file_; }

 private:
  env::FileHandle file_;
};

}  // namespace

void Dictionary::open(const char* path) {
  CXX_REQUIRE(path);
  CXX::MappedBuffer* buffer;
  {
    ScopedFile file(env::openForReading(path));
    uint64_t size = env::fileSize(file.get());
    buffer = CXX::MappedBuffer::createReadOnly(file.get(), size);
  }
  CXX::releaseAndClear(buffer_);
  buffer_ = buffer;
  validateHeader();
}

void Dictionary::validateHeader() {
  const uint8_t* start = buffer_->bytes();
  uint64_t size = buffer_->length();
  if (size < kHeaderSize) throw CXX::SystemError(kErrorInvalidFile);
  if (std::memcmp(start + kOffsetMagic, kMagic, sizeof kMagic) != 0) throw CXX::SystemError(kErrorSignature);
  if (readU16(start + kOffsetVersion) != kVersion) throw CXX::SystemError(kErrorVersion);
  uint32_t buckets = readU32(start + kOffsetBucketCount);
  // Computed in 64 bits: in 32 bits a huge bucket count wraps to a small table end and would
  // let look-ups read past the mapping.
  uint64_t tableEnd = kHeaderSize + 4 * static_cast<uint64_t>(buckets);
  if (buckets == 0 || size < tableEnd) throw CXX::SystemError(kErrorInvalidFile);
  listType_ = start[kOffsetListType];
  date_ = secondsFromTimestamp(static_cast<int64_t>(readU64(start + kOffsetTimestamp)));
  domainCount_ = readU32(start + kOffsetDomainCount);
  bucketCount_ = buckets;
  bucketTable_ = reinterpret_cast<const uint32_t*>(start + kHeaderSize);
  recordArea_ = start + tableEnd;
  end_ = start + size;
}

DomainRecord Dictionary::find(const Key& key) const {
  uint32_t bucket = bucketOf(key.bytes, bucketCount_);
  uint32_t offset = bucketOffset(bucket);
  if (offset == kEmptyBucket) return DomainRecord();
  if (offset >= static_cast<size_t>(end_ - recordArea_)) throw CXX::SystemError(kErrorBucketEnd);
  const uint8_t* r = recordArea_ + offset;
  for (;;) {
    DomainRecord record = DomainRecord::parse(r, static_cast<size_t>(end_ - r));
    if (std::memcmp(r, key.bytes, kKeySize) == 0) return record;
    r += record.size();
    if (static_cast<size_t>(end_ - r) < kMinRecordSize || bucketOf(r, bucketCount_) != bucket) return DomainRecord();
  }
}

DomainRecord Dictionary::findName(const void* bytes, size_t length) const {
  return find(keyOf(bytes, length));
}

void Dictionary::dealloc() {
  CXX::releaseAndClear(buffer_);
  CXX::Object::dealloc();
}

}  // namespace kiv
