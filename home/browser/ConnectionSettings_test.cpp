// Connection values as the registry may hold them: real layouts, repeated rewrites, and damaged
// ones whose stored lengths lie.
#include "ConnectionSettings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Quarvo::proxy::rewriteConnectionValue;

void putWord(Bytes& out, std::uint32_t v) {
  for (int s = 0; s < 32; s += 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

Bytes value(std::uint32_t counter, std::uint32_t flags, const std::string& proxy, const std::string& bypass,
            const Bytes& rest) {
  Bytes out;
  putWord(out, 0x46);
  putWord(out, counter);
  putWord(out, flags);
  putWord(out, static_cast<std::uint32_t>(proxy.size()));
  out.insert(out.end(), proxy.begin(), proxy.end());
  putWord(out, static_cast<std::uint32_t>(bypass.size()));
  out.insert(out.end(), bypass.begin(), bypass.end());
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

std::optional<Bytes> rewrite(const Bytes& v, const std::string& proxy) {
  return rewriteConnectionValue(v.data(), v.size(), proxy);
}

const Bytes kRest = {0x10, 0, 0, 0, 'h', 't', 't', 'p', ':', '/', '/', 'w', 'p', 'a', 'd', 1, 2, 3};

TEST(ConnectionValue, SettingAProxyKeepsTheLeadingWordHighFlagsAndTheRest) {
  Bytes old = value(7, 0xF0 | 0x9, "", "", kRest);
  std::optional<Bytes> rewritten = rewrite(old, "http=127.0.0.1:8080");
  ASSERT_TRUE(rewritten);
  EXPECT_EQ(*rewritten, value(8, 0xF0 | 0x3, "http=127.0.0.1:8080", "<local>", kRest));
}

TEST(ConnectionValue, RemovingTheProxyTurnsOnDetectionAndEmptiesBothTexts) {
  Bytes old = value(41, 0x3 | 0x4, "http=old:1", "<local>;*.corp", kRest);
  std::optional<Bytes> rewritten = rewrite(old, "");
  ASSERT_TRUE(rewritten);
  EXPECT_EQ(*rewritten, value(42, 0x9, "", "", kRest));
}

TEST(ConnectionValue, AValueAlreadyCarryingTheProxyIsLeftAlone) {
  Bytes carrying = value(3, 0x3, "http=p:1", "<local>", kRest);
  EXPECT_FALSE(rewrite(carrying, "http=p:1"));
  std::optional<Bytes> again = rewrite(*rewrite(value(3, 0x1, "", "", {}), "http=p:1"), "http=p:1");
  EXPECT_FALSE(again) << "a second identical call does not move the counter";
  EXPECT_TRUE(rewrite(value(3, 0x1, "http=p:1", "<local>", {}), "http=p:1")) << "the proxy flag was off";
  EXPECT_TRUE(rewrite(value(3, 0x3, "http=p:1", "<LOCAL>", {}), "http=p:1"));
}

TEST(ConnectionValue, DamagedOrOversizedValuesAreLeftAlone) {
  EXPECT_FALSE(rewrite(Bytes(19, 0), "http=p:1")) << "shorter than the fixed fields";
  Bytes liar = value(1, 1, "abc", "", {});
  liar[12] = 4;  // proxy length one past what is there before the bypass length
  EXPECT_FALSE(rewrite(liar, "http=p:1"));
  Bytes huge = value(1, 1, "", "", {});
  for (int i = 12; i < 16; ++i) huge[i] = 0xFF;  // would wrap a 32-bit sum
  EXPECT_FALSE(rewrite(huge, "http=p:1"));
  Bytes bypassLiar = value(1, 1, "", "ab", {});
  bypassLiar[16] = 0xFE;
  bypassLiar[19] = 0xFF;
  EXPECT_FALSE(rewrite(bypassLiar, "http=p:1"));
  EXPECT_FALSE(rewrite(value(1, 1, "", "", Bytes(1024 - 20, 0)), "")) << "1,024 bytes";
  EXPECT_TRUE(rewrite(value(1, 1, "x", "", Bytes(1023 - 21, 0)), "")) << "1,023 bytes";
  EXPECT_FALSE(rewrite(value(1, 1, "", "", Bytes(1000 - 20, 0)), std::string(20, 'p')))
      << "a rewrite reaching 1,024 bytes is not written";
  EXPECT_FALSE(rewriteConnectionValue(nullptr, 0, "x"));
}

TEST(ConnectionValue, ExactlyFittingLengthsAreAccepted) {
  Bytes exact = value(1, 1, "pp", "bb", {});
  EXPECT_TRUE(rewrite(exact, "http=p:1"));
  Bytes noBypass = value(1, 1, "", "", {});
  EXPECT_TRUE(rewrite(noBypass, "http=p:1"));
}

}  // namespace
