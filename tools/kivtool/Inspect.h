// Looking into list files: header and bucket statistics, every record with its entries, and
// URL checks, written as text for people.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "CheckResult.h"
#include "Dictionary.h"

namespace kivtool {

struct ListInfo {
  uint32_t listType = 0;
  double date = 0;
  uint32_t domainCount = 0;  // as the header says
  uint32_t bucketCount = 0;
  uint32_t emptyBuckets = 0;
  uint32_t longestWalk = 0;   // most records in one bucket
  uint32_t recordsFound = 0;  // records walked in the record area
  uint64_t fileSize = 0;
  std::string damage;         // empty when the whole file checks out
};

// Bucket fill from the bucket table and a walk of the record area; damage met on the way is
// reported in ListInfo::damage, never thrown.
ListInfo inspectList(const kiv::Dictionary& list);
void printInfo(std::ostream& out, const ListInfo& info);

// Every record: its key in hex, bucket and place, decoded host words and entries. Returns
// false, after printing where and why, when the record area is damaged.
bool dumpList(std::ostream& out, const kiv::Dictionary& list);

// "category 7", "no category", "invalid URL", "no list loaded".
std::string describeResult(kiv::CheckResult result);

std::string listTypeName(uint32_t type);
// "1700000000 (2023-11-14 22:13:20 UTC)"
std::string describeDate(double seconds);
std::string hexOf(const uint8_t* bytes, size_t length);

}  // namespace kivtool
