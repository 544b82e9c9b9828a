#include "PluginCall.h"

#include "PluginMemory.h"

#include <gtest/gtest.h>

#include <string>

namespace setup {
namespace {

TEST(PluginMemoryPosix, ConvertsAsciiAndRefusesAnythingElse) {
  std::string out = "kept";
  EXPECT_FALSE(memory::toAnsi(u"caf\u00e9", out));
  EXPECT_EQ(out, "kept");
  EXPECT_TRUE(memory::toAnsi(u"plain ~", out));
  EXPECT_EQ(out, "plain ~");
  EXPECT_TRUE(memory::toAnsi(u"", out));
  EXPECT_EQ(out, "");
}

TEST(PluginMemoryPosix, AnsiPopThatCannotConvertLeavesTheNodeOnTheStack) {
  StackNode* top = nullptr;
  PluginCall call(64, nullptr, &top);
  ASSERT_EQ(call.push(u"\u65e5\u672c"), kSuccess);

  std::string ansi = "kept";
  EXPECT_EQ(call.popAnsi(ansi), kFailure);
  EXPECT_EQ(ansi, "kept");
  ASSERT_NE(top, nullptr);

  std::u16string text;
  ASSERT_EQ(call.pop(text), kSuccess);
  EXPECT_EQ(text, u"\u65e5\u672c");
}

}  // namespace
}  // namespace setup
