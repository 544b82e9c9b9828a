#include "PluginCall.h"

#include "PluginMemory.h"

#include <algorithm>
#include <cstddef>

namespace setup {

namespace {

// Copies at most size - 1 characters to `target` and terminates them there.
void copyBounded(char16_t* target, std::size_t size, std::u16string_view text) {
  const std::size_t count = std::min(text.size(), size - 1);
  std::copy_n(text.data(), count, target);
  target[count] = u'\0';
}

}  // namespace

std::u16string PluginCall::topText() const {
  // Through a plain pointer: the text runs past the declared one-element array, and a node
  // filled to the string size carries no terminator.
  const char16_t* text = (*stackTop_)->text;
  const auto size = static_cast<std::size_t>(stringSize_);
  std::size_t length = 0;
  while (length < size && text[length] != u'\0') {
    ++length;
  }
  return std::u16string(text, length);
}

void PluginCall::dropTop() {
  StackNode* top = *stackTop_;
  *stackTop_ = top->next;
  memory::release(top);
}

int PluginCall::pop(std::u16string& text) {
  if (!usable() || stackTop_ == nullptr || *stackTop_ == nullptr) {
    return kFailure;
  }
  text = topText();
  dropTop();
  return kSuccess;
}

int PluginCall::popAnsi(std::string& text) {
  if (!usable() || stackTop_ == nullptr || *stackTop_ == nullptr) {
    return kFailure;
  }
  if (!memory::toAnsi(topText(), text)) {
    return kFailure;
  }
  dropTop();
  return kSuccess;
}

int PluginCall::push(std::u16string_view text) {
  if (!usable() || stackTop_ == nullptr) {
    return kFailure;
  }
  const auto size = static_cast<std::size_t>(stringSize_);
  // The installer's own node size: the header (link and one character, 8 bytes in the 32-bit
  // installer) plus string size characters.
  auto* node = static_cast<StackNode*>(memory::allocateZeroed(sizeof(StackNode) + size * sizeof(char16_t)));
  if (node == nullptr) {
    return kFailure;
  }
  char16_t* target = node->text;
  copyBounded(target, size, text);
  node->next = *stackTop_;
  *stackTop_ = node;
  return kSuccess;
}

int PluginCall::setVariable(int index, std::u16string_view text) {
  if (!usable() || variables_ == nullptr || index < 0 || index >= kVariableCount) {
    return kFailure;
  }
  const auto size = static_cast<std::size_t>(stringSize_);
  copyBounded(variables_ + static_cast<std::size_t>(index) * size, size, text);
  return kSuccess;
}

std::u16string decimalText(int value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace setup
