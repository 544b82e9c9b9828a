// Test helpers that make list files: raw bytes for damaged and hand-laid files, and whole
// lists written through kiv::Writer from a readable description.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ListFormat.h"
#include "PathTable.h"

namespace kiv::testing {

// Little-endian byte strings.
std::string u16(uint16_t v);
std::string u32(uint32_t v);
std::string keyBytes(const std::string& name);

// A list file laid by hand: header, then records placed in their buckets in the given order.
// domainCount defaults to the number of records.
std::string rawList(const std::vector<std::string>& records, uint32_t bucketCount, uint8_t listType = 1,
                    int64_t timestamp = 0, int64_t domainCount = -1);
// A record: key of host, then the table bytes as given.
std::string rawRecord(const std::string& host, const std::string& tables);

// One domain for writeList: host values (category 0x3FFF = none) and entries.
struct TestDomain {
  std::string host;
  HostValue plain;
  HostValue secure;
  HostValue wwwPlain;
  HostValue wwwSecure;
  struct Entry {
    std::string path;  // "a/b", "p?q", "p#f"
    uint32_t value;    // category and flag bits as stored
  };
  std::vector<Entry> entries;
};

HostValue category(uint16_t c, bool hostOnly = false);
// Entry values: category plus the kind bits implied by the path's "?" or "#".
uint32_t entryValue(const std::string& path, uint16_t category, bool prefix = false, bool www = false);

// Writes the domains through kiv::Writer (both passes) to path.
void writeList(const std::string& path, const std::vector<TestDomain>& domains, uint32_t listType = 1,
               double date = 0.0);

}  // namespace kiv::testing
