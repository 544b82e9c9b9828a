// Test helpers that make list files (see test_lists.h).
#include "test_lists.h"

#include <map>

#include "CXXRuntime/CXXBase"
#include "Sha1Key.h"
#include "Writer.h"

namespace kiv::testing {

using namespace format;

std::string u16(uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string u32(uint32_t v) { return u16(static_cast<uint16_t>(v)) + u16(static_cast<uint16_t>(v >> 16)); }

std::string keyBytes(const std::string& name) {
  Key key = keyOf(name.data(), name.size());
  return std::string(reinterpret_cast<const char*>(key.bytes), kKeySize);
}

std::string rawRecord(const std::string& host, const std::string& tables) { return keyBytes(host) + tables; }

std::string rawList(const std::vector<std::string>& records, uint32_t bucketCount, uint8_t listType, int64_t timestamp,
                    int64_t domainCount) {
  std::map<uint32_t, std::string> buckets;
  for (const std::string& record : records)
    buckets[bucketOf(reinterpret_cast<const uint8_t*>(record.data()), bucketCount)] += record;
  std::string table, area;
  for (uint32_t b = 0; b < bucketCount; ++b) {
    auto found = buckets.find(b);
    if (found == buckets.end()) {
      table += u32(kEmptyBucket);
      continue;
    }
    table += u32(static_cast<uint32_t>(area.size()));
    area += found->second;
  }
  std::string header = "kivf" + u16(1) + std::string(1, static_cast<char>(listType)) + std::string(1, '\0') +
                       u32(static_cast<uint32_t>(timestamp)) + u32(static_cast<uint32_t>(static_cast<uint64_t>(timestamp) >> 32)) +
                       u32(static_cast<uint32_t>(domainCount < 0 ? records.size() : domainCount)) + u32(bucketCount) +
                       std::string(8, '\0');
  return header + table + area;
}

HostValue category(uint16_t c, bool hostOnly) {
  HostValue value;
  value.category = c;
  value.hostOnly = hostOnly;
  return value;
}

uint32_t entryValue(const std::string& path, uint16_t category, bool prefix, bool www) {
  uint32_t value = category;
  if (prefix) value |= kEntryPrefixBit;
  if (www) value |= kEntryWwwBit;
  if (path.find('?') != std::string::npos)
    value |= kEntryQueryBit;
  else if (path.find('#') != std::string::npos)
    value |= kEntryFragmentBit;
  return value;
}

namespace {

void feed(Writer* writer, const std::vector<TestDomain>& domains) {
  for (const TestDomain& domain : domains) {
    writer->beginDomain(keyOf(domain.host.data(), domain.host.size()));
    writer->setHostValues(&domain.plain, &domain.secure, &domain.wwwPlain, &domain.wwwSecure);
    for (const TestDomain::Entry& entry : domain.entries)
      writer->addPath(keyOf(entry.path.data(), entry.path.size()), entry.value);
    writer->endDomain();
  }
}

}  // namespace

void writeList(const std::string& path, const std::vector<TestDomain>& domains, uint32_t listType, double date) {
  CXX::Ref<Writer> writer(Writer::createWithPath(path.c_str(), listType, static_cast<uint32_t>(domains.size())));
  feed(writer.get(), domains);
  writer->finishHeader(date);
  feed(writer.get(), domains);
  writer->finish();
}

}  // namespace kiv::testing
