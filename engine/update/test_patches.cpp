// Test helper that lays out patch files byte by byte (see test_patches.h).
#include "test_patches.h"

#include "../test_lists.h"
#include "PatchFormat.h"

namespace kiv::testing {

PatchBytes::PatchBytes(uint8_t listType, int64_t timestamp, const char* magic, uint16_t version) {
  header_ = std::string(magic, 4) + u16(version) + std::string(1, static_cast<char>(listType)) + std::string(1, '\0') +
            u32(static_cast<uint32_t>(timestamp)) + u32(static_cast<uint32_t>(static_cast<uint64_t>(timestamp) >> 32));
}

PatchBytes& PatchBytes::domain(const std::string& host) { return domainKey(keyBytes(host)); }

PatchBytes& PatchBytes::domainKey(const std::string& key) {
  if (records_ > 0) body_ += '\xFF';
  ++records_;
  body_ += key;
  return *this;
}

PatchBytes& PatchBytes::hostWords(uint8_t target, uint8_t action, uint16_t plain, uint16_t secure) {
  body_ += static_cast<char>(patch::operation(target, action));
  if (action == patch::kDelete) return *this;
  body_ += u16(plain);
  if (plain & patch::kSecureFollowsBit) body_ += u16(secure);
  return *this;
}

PatchBytes& PatchBytes::main(uint8_t action, uint16_t plain, uint16_t secure) {
  return hostWords(patch::kTargetMain, action, plain, secure);
}

PatchBytes& PatchBytes::www(uint8_t action, uint16_t plain, uint16_t secure, uint8_t target) {
  return hostWords(target, action, plain, secure);
}

PatchBytes& PatchBytes::path(uint8_t action, const std::string& pathText, uint32_t value) {
  body_ += static_cast<char>(patch::operation(patch::kTargetPath, action));
  body_ += keyBytes(pathText);
  if (action != patch::kDelete) body_ += u32(value);
  return *this;
}

PatchBytes& PatchBytes::raw(const std::string& bytes) {
  body_ += bytes;
  return *this;
}

std::string PatchBytes::bytes(int64_t recordCount) const {
  uint32_t count = recordCount < 0 ? records_ : static_cast<uint32_t>(recordCount);
  return header_ + u32(count) + std::string(12, '\0') + body_ + (records_ > 0 ? "\xFF" : "");
}

}  // namespace kiv::testing
