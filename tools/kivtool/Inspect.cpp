// Describing list files (see Inspect.h). Walks go through DomainRecord::parse, which checks
// every table against the end of the mapping, so a damaged file yields a message.
#include "Inspect.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "CXXRuntime/CXXBase"
#include "ListFormat.h"
#include "PathTable.h"

namespace kivtool {

using namespace kiv::format;

namespace {

uint64_t fileSizeOf(const kiv::Dictionary& list) {
  return static_cast<uint64_t>(list.end() - list.recordArea()) + kHeaderSize + 4 * static_cast<uint64_t>(list.bucketCount());
}

std::string describeWord(uint16_t word) {
  kiv::HostValue value = kiv::HostValue::decode(word);
  std::string text = value.hasCategory() ? std::to_string(value.category) : "none";
  if (value.hostOnly) text += " host-only";
  return text;
}

std::string describeKinds(uint8_t kinds) {
  static const char* const names[] = {"prefix-path", "prefix-fragment", "prefix-query",
                                      "path", "fragment", "query"};
  std::string text;
  for (unsigned bit = 0; bit < 6; ++bit)
    if (kinds & (1u << bit)) text += (text.empty() ? "" : ",") + std::string(names[bit]);
  return text.empty() ? "-" : text;
}

std::string describeEntry(uint32_t value) {
  uint16_t category = value & kCategoryMask;
  std::string text = category == kNoCategory ? "none" : std::to_string(category);
  if (value & kEntryQueryBit)
    text += " query";
  else if (value & kEntryFragmentBit)
    text += " fragment";
  else
    text += " path";
  if (value & kEntryPrefixBit) text += " prefix";
  if (value & kEntryWwwBit) text += " www";
  if (value & ~kEntryValueMask) {
    char stray[32];
    std::snprintf(stray, sizeof stray, " (stray bits 0x%08" PRIx32 ")", value & ~kEntryValueMask);
    text += stray;
  }
  return text;
}

void dumpTable(std::ostream& out, const char* name, const kiv::PathTable& table, bool main) {
  out << "  " << name << ": plain " << describeWord(table.plainWord());
  if (table.extended()) {
    uint16_t secure = table.secureWord();
    out << ", secure " << describeWord(secure);
    if (main && (secure & kExtendedBit)) out << ", www table follows";
    out << ", " << table.entryCount() << " entries, kinds " << describeKinds(table.kinds());
  }
  out << '\n';
  for (size_t i = 0; i < table.entryCount(); ++i) {
    kiv::PathEntry entry = table.entry(i);
    out << "    " << hexOf(entry.key, kiv::kKeySize) << "  " << describeEntry(entry.value) << '\n';
  }
}

}  // namespace

std::string hexOf(const uint8_t* bytes, size_t length) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 15];
  }
  return text;
}

std::string listTypeName(uint32_t type) {
  if (type == kBlackList) return "black";
  if (type == kWhiteList) return "white";
  return "unknown (" + std::to_string(type) + ")";
}

std::string describeDate(double seconds) {
  char text[96];
  std::snprintf(text, sizeof text, std::fabs(seconds) < 1e15 ? "%.6f" : "%.6g", seconds);
  std::string described = text;
  if (described.find('.') != std::string::npos && described.find('e') == std::string::npos) {
    described.erase(described.find_last_not_of('0') + 1);
    if (described.back() == '.') described.pop_back();
  }
  // gmtime covers the years a list can plausibly carry; beyond them the number stands alone.
  if (std::fabs(seconds) < 253402300800.0) {
    std::time_t t = static_cast<std::time_t>(std::floor(seconds));
    if (const std::tm* utc = std::gmtime(&t)) {
      std::strftime(text, sizeof text, " (%Y-%m-%d %H:%M:%S UTC)", utc);
      described += text;
    }
  }
  return described;
}

ListInfo inspectList(const kiv::Dictionary& list) {
  ListInfo info;
  info.listType = list.listType();
  info.date = list.date();
  info.domainCount = list.domainCount();
  info.bucketCount = list.bucketCount();
  info.fileSize = fileSizeOf(list);
  for (uint32_t b = 0; b < list.bucketCount(); ++b)
    if (list.bucketOffset(b) == kEmptyBucket) ++info.emptyBuckets;

  // Records lie bucket by bucket, so a bucket's walk is a run of records with the same bucket.
  const uint8_t* r = list.recordArea();
  uint32_t run = 0, runBucket = 0;
  try {
    while (r < list.end()) {
      kiv::DomainRecord record = kiv::DomainRecord::parse(r, static_cast<size_t>(list.end() - r));
      uint32_t bucket = bucketOf(r, list.bucketCount());
      run = run > 0 && bucket == runBucket ? run + 1 : 1;
      runBucket = bucket;
      if (run > info.longestWalk) info.longestWalk = run;
      ++info.recordsFound;
      r += record.size();
    }
    list.verify();
  } catch (const CXX::SystemError& error) {
    info.damage = error.message();
    if (r < list.end())
      info.damage += " (record " + std::to_string(info.recordsFound) + ", offset " +
                     std::to_string(r - list.recordArea()) + " of the record area)";
  }
  return info;
}

void printInfo(std::ostream& out, const ListInfo& info) {
  char text[64];
  out << "type          " << listTypeName(info.listType) << '\n';
  out << "date          " << describeDate(info.date) << '\n';
  out << "domains       " << info.domainCount << '\n';
  out << "buckets       " << info.bucketCount << '\n';
  std::snprintf(text, sizeof text, "%.1f%%", info.bucketCount ? 100.0 * info.emptyBuckets / info.bucketCount : 0.0);
  out << "bucket fill   " << info.emptyBuckets << " empty (" << text << "), longest walk " << info.longestWalk
      << (info.longestWalk == 1 ? " record" : " records") << '\n';
  out << "file size     " << info.fileSize << " bytes";
  if (info.domainCount) {
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(info.fileSize) / info.domainCount);
    out << ", " << text << " bytes per domain";
  }
  out << '\n';
  out << "integrity     " << (info.damage.empty() ? "ok" : "damaged: " + info.damage) << '\n';
}

bool dumpList(std::ostream& out, const kiv::Dictionary& list) {
  out << listTypeName(list.listType()) << " list, date " << describeDate(list.date()) << ", " << list.domainCount()
      << " domains, " << list.bucketCount() << " buckets\n";
  const uint8_t* r = list.recordArea();
  uint32_t index = 0;
  try {
    for (; r < list.end(); ++index) {
      kiv::DomainRecord record = kiv::DomainRecord::parse(r, static_cast<size_t>(list.end() - r));
      out << "record " << index << "  key " << hexOf(r, kiv::kKeySize) << "  bucket " << bucketOf(r, list.bucketCount())
          << "  offset " << (r - list.recordArea()) << "  " << record.size() << " bytes\n";
      dumpTable(out, "main", record.main(), true);
      if (record.hasWwwTable()) dumpTable(out, "www", record.www(), false);
      r += record.size();
    }
  } catch (const CXX::SystemError& error) {
    out << "damaged at record " << index << ", offset " << (r - list.recordArea()) << " of the record area: "
        << error.message() << '\n';
    return false;
  }
  if (index != list.domainCount()) {
    out << "the header counts " << list.domainCount() << " domains, the record area holds " << index << '\n';
    return false;
  }
  return true;
}

std::string describeResult(kiv::CheckResult result) {
  if (kiv::isMatch(result)) return "category " + std::to_string(kiv::categoryOf(result));
  if (result == kiv::kNoMatch) return "no category";
  if (result == kiv::kInvalidUrl) return "invalid URL";
  if (result == kiv::kNoListLoaded) return "no list loaded";
  char text[32];
  std::snprintf(text, sizeof text, "unexpected result 0x%04x", result);
  return text;
}

}  // namespace kivtool
