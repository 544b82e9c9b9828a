// Proxy texts: what each store receives, and the calls refused because a store would cut them.
#include "ProxyText.h"

#include <gtest/gtest.h>

namespace {

using Quarvo::proxy::ProxyText;
using Quarvo::proxy::proxyTextFor;

TEST(ProxyText, BothPartsOrEitherAlone) {
  std::u16string http = u"127.0.0.1";
  std::u16string https = u"proxy.local";
  ProxyText both = proxyTextFor(&http, 8080, &https, -1);
  ASSERT_TRUE(both.accepted);
  EXPECT_EQ(both.narrow, "http=127.0.0.1:8080;https=proxy.local:-1");
  EXPECT_EQ(both.wide, u"http=127.0.0.1:8080;https=proxy.local:-1");
  ProxyText onlyHttps = proxyTextFor(nullptr, 1, &https, 443);
  EXPECT_EQ(onlyHttps.narrow, "https=proxy.local:443") << "no leading ;";
  std::u16string empty;
  ProxyText removal = proxyTextFor(&empty, 1, nullptr, 2);
  EXPECT_TRUE(removal.accepted);
  EXPECT_TRUE(removal.narrow.empty());
}

TEST(ProxyText, NonAsciiHostsAreUtf8AndUtf16) {
  std::u16string host{u'h', 0xE9, 0xD83D, 0xDE00};
  ProxyText text = proxyTextFor(&host, 1, nullptr, 0);
  ASSERT_TRUE(text.accepted);
  EXPECT_EQ(text.narrow, "http=h\xC3\xA9\xF0\x9F\x98\x80:1");
  EXPECT_EQ(text.wide, (std::u16string{u'h', u't', u't', u'p', u'=', u'h', 0xE9, 0xD83D, 0xDE00, u':', u'1'}));
}

TEST(ProxyText, LongHostsAreLeftOutButNeverTurnACallIntoARemoval) {
  std::u16string long256(256, u'a');
  std::u16string fine = u"p";
  ProxyText oneLeftOut = proxyTextFor(&long256, 1, &fine, 2);
  ASSERT_TRUE(oneLeftOut.accepted);
  EXPECT_EQ(oneLeftOut.narrow, "https=p:2");
  EXPECT_FALSE(proxyTextFor(&long256, 1, nullptr, 2).accepted) << "every non-empty host left out";
  std::u16string twoByteChars(128, 0xE9);  // 256 UTF-8 bytes
  EXPECT_FALSE(proxyTextFor(&twoByteChars, 1, nullptr, 2).accepted);
}

TEST(ProxyText, APartTheFormattingWouldCutIsRefused) {
  std::u16string host250(250, u'h');
  EXPECT_FALSE(proxyTextFor(&host250, 8080, nullptr, 0).accepted) << "a 250-byte host and its port";
  std::u16string host245(245, u'h');
  EXPECT_TRUE(proxyTextFor(&host245, 8080, nullptr, 0).accepted) << "http=, 245 bytes, :8080 is 255";
  EXPECT_FALSE(proxyTextFor(nullptr, 0, &host245, 8080).accepted) << "the https part keeps 254";
}

TEST(ProxyText, AJoinedTextOver255Utf16CharactersIsRefused) {
  std::u16string host(200, u'h');
  EXPECT_FALSE(proxyTextFor(&host, 1, &host, 2).accepted);
  std::u16string half(118, u'h');  // http=…:1;https=…:2 = 5+118+2 + 1 + 6+118+2 = 252
  EXPECT_TRUE(proxyTextFor(&half, 1, &half, 2).accepted);
}

}  // namespace
