#include "InstallerCall.h"

#include <algorithm>
#include <utility>

#include "PluginMemory.h"

namespace setup::testing {

InstallerCall::InstallerCall()
    : variables_(static_cast<std::size_t>(kVariableCount) * kStringSize), call_(kStringSize, variables_.data(), &top_) {
  const std::u16string untouched = u"untouched";
  for (int index = 0; index < kVariableCount; ++index) {
    std::copy(untouched.begin(), untouched.end(), variables_.begin() + index * kStringSize);
  }
}

InstallerCall::~InstallerCall() {
  while (top_ != nullptr) memory::release(std::exchange(top_, top_->next));
}

void InstallerCall::push(const std::u16string& text) {
  auto* node = static_cast<StackNode*>(memory::allocateZeroed(sizeof(StackNode) + kStringSize * sizeof(char16_t)));
  if (node == nullptr) return;
  char16_t* target = node->text;
  std::copy_n(text.begin(), std::min<std::size_t>(text.size(), kStringSize - 1), target);
  node->next = top_;
  top_ = node;
}

std::u16string InstallerCall::variable(int index) const {
  const char16_t* text = variables_.data() + static_cast<std::size_t>(index) * kStringSize;
  return std::u16string(text, std::find(text, text + kStringSize, u'\0'));
}

}  // namespace setup::testing
