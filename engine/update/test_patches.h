// Test helper that lays out patch files byte by byte.
#pragma once

#include <cstdint>
#include <string>

namespace kiv::testing {

class PatchBytes {
 public:
  PatchBytes(uint8_t listType, int64_t timestamp, const char* magic = "kivp", uint16_t version = 1);

  // Starts the record of a host (or of a raw 10-byte key given as keyBytes).
  PatchBytes& domain(const std::string& host);
  PatchBytes& domainKey(const std::string& keyBytes);
  // Host-words items; a secure word is written when plain has bit 15 set.
  PatchBytes& main(uint8_t action, uint16_t plain = 0, uint16_t secure = 0);
  PatchBytes& www(uint8_t action, uint16_t plain = 0, uint16_t secure = 0, uint8_t target = 0);
  PatchBytes& path(uint8_t action, const std::string& path, uint32_t value = 0);
  PatchBytes& raw(const std::string& bytes);

  // The file; the record count is the number of records started unless given.
  std::string bytes(int64_t recordCount = -1) const;

 private:
  PatchBytes& hostWords(uint8_t target, uint8_t action, uint16_t plain, uint16_t secure);

  std::string header_;
  std::string body_;
  uint32_t records_ = 0;
};

}  // namespace kiv::testing
