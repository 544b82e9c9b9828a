// kiv::Writer: two passes, sizing and mapping the output between them (see Writer.h).
#include "Writer.h"

#include "Env.h"

namespace kiv {

using namespace format;

CXX_DEFINE_CLASS(Writer, "kiv", "Writer", CXX::Object)

Writer* Writer::create(CXX::platform::FileHandle target, uint32_t listType, uint32_t domainCount) {
  CXX::Ref<Writer> writer(CXX::alloc<Writer>());
  writer->target_ = target;
  writer->hasTarget_ = true;
  writer->setUp(listType, domainCount);
  return writer.take();
}

Writer* Writer::createWithPath(const char* path, uint32_t listType, uint32_t domainCount) {
  CXX_REQUIRE(path);
  CXX::Ref<Writer> writer(CXX::alloc<Writer>());
  writer->path_ = path;
  writer->setUp(listType, domainCount);
  return writer.take();
}

void Writer::setUp(uint32_t listType, uint32_t domainCount) {
  listType_ = listType;
  domainCount_ = domainCount;
  bucketCount_ = bucketCountFor(domainCount);
  uint64_t tableStart = kHeaderSize + 4 * static_cast<uint64_t>(bucketCount_);
  if (tableStart > UINT32_MAX) throw CXX::RuntimeError("domain count too large");
  tableStart_ = static_cast<uint32_t>(tableStart);
  buckets_ = new uint32_t[bucketCount_]();
  builder_.setMeasuring(true);
}

void Writer::beginDomain(const Key& key) {
  ++records_;
  currentBucketKey_ = readU32(key.bytes);
  builder_.begin(key);
}

void Writer::setHostValues(const HostValue* mainPlain, const HostValue* mainSecure, const HostValue* wwwPlain,
                           const HostValue* wwwSecure) {
  builder_.setHostValues(mainPlain, mainSecure, wwwPlain, wwwSecure);
}

void Writer::addPath(const Key& key, uint32_t value) { builder_.addPath(key, value); }

void Writer::endDomain() {
  size_t size = builder_.serialise();
  uint32_t& next = buckets_[currentBucketKey_ % bucketCount_];
  if (builder_.measuring()) {
    if (next + static_cast<uint64_t>(size) > UINT32_MAX - tableStart_) throw CXX::RuntimeError("list too large");
    next += static_cast<uint32_t>(size);
    return;
  }
  // A second pass that differs from the first would write past its bucket: refuse it
  // rather than overwrite the neighbours or run off the mapping.
  uint64_t at = static_cast<uint64_t>(tableStart_) + next;
  if (output_ == nullptr || next == kEmptyBucket || at + size > output_->length())
    throw CXX::RuntimeError("second pass differs from the first");
  std::memcpy(output_->mutableBytes() + at, builder_.bytes(), size);
  next += static_cast<uint32_t>(size);
}

void Writer::finishHeader(double date) {
  uint64_t offset = 0;
  for (uint32_t b = 0; b < bucketCount_; ++b) {
    uint32_t size = buckets_[b];
    buckets_[b] = size == 0 ? kEmptyBucket : static_cast<uint32_t>(offset);
    offset += size;
  }
  fileSize_ = tableStart_ + offset;
  builder_.setMeasuring(false);
  records_ = 0;
  sizeOutput();

  uint8_t* out = output_->mutableBytes();
  std::memcpy(out + kOffsetMagic, kMagic, sizeof kMagic);
  writeU16(out + kOffsetVersion, kVersion);
  out[kOffsetListType] = static_cast<uint8_t>(listType_);
  out[kOffsetListType + 1] = 0;
  writeU64(out + kOffsetTimestamp, static_cast<uint64_t>(timestampFromSeconds(date)));
  writeU32(out + kOffsetDomainCount, domainCount_);
  writeU32(out + kOffsetBucketCount, bucketCount_);
  std::memset(out + kOffsetBucketCount + 4, 0, 8);
  for (uint32_t b = 0; b < bucketCount_; ++b) writeU32(out + kHeaderSize + 4 * static_cast<size_t>(b), buckets_[b]);
}

void Writer::sizeOutput() {
  if (hasTarget_) {
    env::setFileSize(target_, fileSize_);
    output_ = CXX::MappedBuffer::create(target_, fileSize_);
    return;
  }
  env::WritableFile file = env::createForWriting(path_.c_str());
  try {
    env::truncateTo(file, fileSize_);
    output_ = CXX::MappedBuffer::create(file.handle, fileSize_);
  } catch (...) {
    env::closeWritable(file);
    env::removeFile(path_.c_str());
    throw;
  }
  env::closeWritable(file);
}

void Writer::finish() { CXX::releaseAndClear(output_); }

void Writer::dealloc() {
  CXX::releaseAndClear(output_);
  delete[] buckets_;
  buckets_ = nullptr;
  CXX::Object::dealloc();
}

}  // namespace kiv
