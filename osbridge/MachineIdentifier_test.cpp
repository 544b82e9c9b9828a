// The identifier derived from a DigitalProductId: length boundary and which bytes land where.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "MachineIdentifier.h"

namespace Quarvo {
namespace os {
namespace {

std::vector<uint8_t> indexBytes(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i);
  return bytes;
}

TEST(MachineIdentifier, NeedsFifteenBytes) {
  EXPECT_FALSE(identifierFromProductId(nullptr, 0).has_value());
  const std::vector<uint8_t> fourteen = indexBytes(14);
  EXPECT_FALSE(identifierFromProductId(fourteen.data(), fourteen.size()).has_value());
  const std::vector<uint8_t> fifteen = indexBytes(15);
  EXPECT_TRUE(identifierFromProductId(fifteen.data(), fifteen.size()).has_value());
}

TEST(MachineIdentifier, CombinesTheProductIdBytesInTheFixedOrder) {
  const std::vector<uint8_t> id = indexBytes(15);
  // 11^9, 8^5, 13^2, 7^6, 14^10, 12^4
  EXPECT_EQ(identifierFromProductId(id.data(), id.size()), (MachineIdentifier{0x02, 0x0D, 0x0F, 0x01, 0x04, 0x08}));
}

TEST(MachineIdentifier, EachProductIdByteReachesOnlyItsIdentifierByte) {
  // For product-id byte i: the identifier byte it changes, or -1 for the bytes not read.
  const int expectedPosition[15] = {-1, -1, 2, -1, 5, 1, 3, 3, 1, 0, 4, 0, 5, 2, 4};
  for (size_t i = 0; i < 15; ++i) {
    SCOPED_TRACE(i);
    std::vector<uint8_t> id(15, 0);
    id[i] = 0xA5;
    MachineIdentifier expected{};
    if (expectedPosition[i] >= 0) expected[static_cast<size_t>(expectedPosition[i])] = 0xA5;
    EXPECT_EQ(identifierFromProductId(id.data(), id.size()), expected);
  }
}

TEST(MachineIdentifier, BytesAfterTheFifteenthAreIgnored) {
  std::vector<uint8_t> id = indexBytes(164);  // the usual size of the value
  const auto whole = identifierFromProductId(id.data(), id.size());
  const auto first15 = identifierFromProductId(id.data(), 15);
  ASSERT_TRUE(whole.has_value());
  EXPECT_EQ(whole, first15);
}

TEST(MachineIdentifier, EqualBytesCancelOut) {
  std::vector<uint8_t> id(15, 0x5A);
  EXPECT_EQ(identifierFromProductId(id.data(), id.size()), MachineIdentifier{});
}

}  // namespace
}  // namespace os
}  // namespace Quarvo
