#include "PluginCall.h"

#include "PluginMemory.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <string>
#include <vector>

namespace setup {
namespace {

// A stack the way the installer builds one: nodes from the installer's allocator, each holding
// exactly `bytes` after the link so the sanitizer sees any read past them.
class InstallerStack {
 public:
  ~InstallerStack() {
    while (top != nullptr) {
      StackNode* next = top->next;
      memory::release(top);
      top = next;
    }
  }

  void pushRaw(const std::u16string& text, std::size_t characters) {
    auto* node = static_cast<StackNode*>(
        memory::allocateZeroed(offsetof(StackNode, text) + characters * sizeof(char16_t)));
    ASSERT_NE(node, nullptr);
    char16_t* target = node->text;
    text.copy(target, characters);
    node->next = top;
    top = node;
  }

  StackNode* top = nullptr;
};

std::u16string filled(std::size_t length) {
  std::u16string text;
  for (std::size_t i = 0; i < length; ++i) {
    text.push_back(static_cast<char16_t>(u'a' + i % 26));
  }
  return text;
}

TEST(PluginCallStack, PopsInReverseOrderOfPushAndFreesEachNode) {
  InstallerStack stack;
  PluginCall call(1024, nullptr, &stack.top);
  ASSERT_EQ(call.push(u"first"), kSuccess);
  ASSERT_EQ(call.push(u""), kSuccess);
  ASSERT_EQ(call.push(u"th\u00efrd"), kSuccess);

  const std::size_t releasedBefore = memory::releasedBlocks();
  std::u16string text;
  ASSERT_EQ(call.pop(text), kSuccess);
  EXPECT_EQ(text, u"th\u00efrd");
  ASSERT_EQ(call.pop(text), kSuccess);
  EXPECT_EQ(text, u"");
  ASSERT_EQ(call.pop(text), kSuccess);
  EXPECT_EQ(text, u"first");
  EXPECT_EQ(stack.top, nullptr);
  EXPECT_EQ(memory::releasedBlocks() - releasedBefore, 3u);
}

TEST(PluginCallStack, PopsNodesTheInstallerPushedBelowOurs) {
  InstallerStack stack;
  stack.pushRaw(u"from installer", 64);
  PluginCall call(64, nullptr, &stack.top);
  ASSERT_EQ(call.push(u"ours"), kSuccess);

  std::u16string text;
  ASSERT_EQ(call.pop(text), kSuccess);
  EXPECT_EQ(text, u"ours");
  ASSERT_EQ(call.pop(text), kSuccess);
  EXPECT_EQ(text, u"from installer");
}

TEST(PluginCallStack, EmptyOrMissingStackFailsWithoutTouchingAnything) {
  const std::size_t releasedBefore = memory::releasedBlocks();
  std::u16string text = u"kept";
  std::string ansi = "kept";

  StackNode* empty = nullptr;
  PluginCall onEmpty(1024, nullptr, &empty);
  EXPECT_EQ(onEmpty.pop(text), kFailure);
  EXPECT_EQ(onEmpty.popAnsi(ansi), kFailure);
  EXPECT_EQ(empty, nullptr);

  PluginCall withoutStack(1024, nullptr, nullptr);
  EXPECT_EQ(withoutStack.pop(text), kFailure);
  EXPECT_EQ(withoutStack.popAnsi(ansi), kFailure);
  EXPECT_EQ(withoutStack.push(u"lost"), kFailure);

  EXPECT_EQ(text, u"kept");
  EXPECT_EQ(ansi, "kept");
  EXPECT_EQ(memory::releasedBlocks(), releasedBefore);
}

TEST(PluginCallStack, WithoutStringSizeNothingIsReadOrWritten) {
  InstallerStack stack;
  stack.pushRaw(u"x", 1);
  std::u16string text = u"kept";
  PluginCall call(0, nullptr, &stack.top);
  StackNode* const before = stack.top;

  EXPECT_EQ(call.pop(text), kFailure);
  EXPECT_EQ(call.push(u"y"), kFailure);
  EXPECT_EQ(stack.top, before);
  EXPECT_EQ(text, u"kept");
}

TEST(PluginCallStack, UnterminatedNodeOfStringSizeIsReadWholeAndNoFurther) {
  constexpr std::size_t size = 40;
  InstallerStack stack;
  stack.pushRaw(filled(size), size);
  PluginCall call(static_cast<int>(size), nullptr, &stack.top);

  std::u16string text;
  ASSERT_EQ(call.pop(text), kSuccess);
  EXPECT_EQ(text, filled(size));
}

TEST(PluginCallStack, AnsiPopConvertsTheWholeText) {
  InstallerStack stack;
  PluginCall call(1024, nullptr, &stack.top);
  const std::u16string wide = filled(900);
  ASSERT_EQ(call.push(wide), kSuccess);

  std::string ansi;
  ASSERT_EQ(call.popAnsi(ansi), kSuccess);
  EXPECT_EQ(ansi, std::string(wide.begin(), wide.end()));
  EXPECT_EQ(stack.top, nullptr);
}

class PluginCallLongText : public testing::TestWithParam<int> {};

TEST_P(PluginCallLongText, FullLengthTextSurvivesPushAndPop) {
  const auto size = static_cast<std::size_t>(GetParam());
  InstallerStack stack;
  PluginCall call(GetParam(), nullptr, &stack.top);
  const std::u16string longest = filled(size - 1);
  ASSERT_EQ(call.push(longest), kSuccess);

  std::u16string text;
  ASSERT_EQ(call.pop(text), kSuccess);
  EXPECT_EQ(text, longest);
}

TEST_P(PluginCallLongText, InstallerNodesBeyondFiveHundredCharactersArriveWhole) {
  const auto size = static_cast<std::size_t>(GetParam());
  InstallerStack stack;
  stack.pushRaw(filled(size), size);
  stack.pushRaw(filled(700), size);
  PluginCall call(GetParam(), nullptr, &stack.top);

  std::u16string text;
  ASSERT_EQ(call.pop(text), kSuccess);
  EXPECT_EQ(text, filled(700));
  ASSERT_EQ(call.pop(text), kSuccess);
  EXPECT_EQ(text, filled(size));
}

TEST_P(PluginCallLongText, PushCutsTextAtStringSizeLessTheTerminator) {
  const auto size = static_cast<std::size_t>(GetParam());
  InstallerStack stack;
  PluginCall call(GetParam(), nullptr, &stack.top);
  ASSERT_EQ(call.push(filled(size + 100)), kSuccess);

  const char16_t* stored = stack.top->text;
  EXPECT_EQ(std::u16string(stored, size - 1), filled(size - 1));
  EXPECT_EQ(stored[size - 1], u'\0');
}

INSTANTIATE_TEST_SUITE_P(StringSizes, PluginCallLongText, testing::Values(1024, 8192));

class PluginCallVariables : public testing::Test {
 protected:
  static constexpr int size = 16;
  static constexpr char16_t untouched = u'#';

  std::u16string slot(int index) const {
    return area.substr(static_cast<std::size_t>(index * size), size);
  }

  // The variable area with a guard slot either side, to catch writes just outside it.
  std::u16string area = std::u16string(static_cast<std::size_t>((kVariableCount + 2) * size), untouched);
  PluginCall call{size, area.data() + size, nullptr};
};

TEST_F(PluginCallVariables, IndexOutsideTheVariablesOrMissingAreaIsRefused) {
  const std::u16string before = area;
  EXPECT_EQ(call.setVariable(-1, u"x"), kFailure);
  EXPECT_EQ(call.setVariable(kVariableCount, u"x"), kFailure);
  EXPECT_EQ(call.setVariable(INT_MIN, u"x"), kFailure);
  EXPECT_EQ(area, before);

  PluginCall withoutArea(size, nullptr, nullptr);
  EXPECT_EQ(withoutArea.setVariable(0, u"x"), kFailure);
}

TEST_F(PluginCallVariables, WritesOnlyItsOwnSlot) {
  ASSERT_EQ(call.setVariable(0, u"first"), kSuccess);
  ASSERT_EQ(call.setVariable(kVariableCount - 1, u"last"), kSuccess);

  EXPECT_EQ(slot(0), std::u16string(size, untouched));
  EXPECT_EQ(slot(1).substr(0, 6), std::u16string(u"first\0", 6));
  EXPECT_EQ(slot(1).substr(6), std::u16string(size - 6, untouched));
  EXPECT_EQ(slot(2), std::u16string(size, untouched));
  EXPECT_EQ(slot(kVariableCount).substr(0, 5), std::u16string(u"last\0", 5));
  EXPECT_EQ(slot(kVariableCount + 1), std::u16string(size, untouched));
}

TEST_F(PluginCallVariables, LongTextIsCutAndTerminatedInsideTheSlot) {
  ASSERT_EQ(call.setVariable(3, filled(3 * size)), kSuccess);

  EXPECT_EQ(slot(4).substr(0, size - 1), filled(size - 1));
  EXPECT_EQ(slot(4)[size - 1], u'\0');
  EXPECT_EQ(slot(5), std::u16string(size, untouched));
}

TEST(PluginCallNumbers, WritesSignedDecimal) {
  EXPECT_EQ(decimalText(0), u"0");
  EXPECT_EQ(decimalText(42), u"42");
  EXPECT_EQ(decimalText(-7), u"-7");
  EXPECT_EQ(decimalText(INT_MAX), u"2147483647");
  EXPECT_EQ(decimalText(INT_MIN), u"-2147483648");
}

}  // namespace
}  // namespace setup
