// The installer's side of one plug-in call: a variable area of 25 slots filled with a marker and
// a stack whose nodes come from the installer's allocator.
#pragma once

#include "PluginCall.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace setup::testing {

class InstallerFrame {
 public:
  explicit InstallerFrame(int stringSize)
      : size_(static_cast<std::size_t>(stringSize)),
        variables_(kVariableCount * size_, u'#'),
        call_(stringSize, variables_.data(), &top_) {}
  ~InstallerFrame() {
    std::u16string ignored;
    while (call_.pop(ignored) == kSuccess) {
    }
  }
  InstallerFrame(const InstallerFrame&) = delete;
  InstallerFrame& operator=(const InstallerFrame&) = delete;

  // Pushes the texts so that the first ends on top, as the script's Push calls in reverse.
  void pushForPopping(std::initializer_list<std::u16string_view> texts) {
    for (auto text = std::rbegin(texts); text != std::rend(texts); ++text) ASSERT_EQ(call_.push(*text), kSuccess);
  }

  // The slot up to its terminator, or the whole slot when there is none.
  std::u16string variable(int index) const {
    const std::u16string slot = variables_.substr(static_cast<std::size_t>(index) * size_, size_);
    return slot.substr(0, slot.find(u'\0'));
  }

  PluginCall& call() { return call_; }
  StackNode* top() const { return top_; }

 private:
  std::size_t size_;
  std::u16string variables_;
  StackNode* top_ = nullptr;
  PluginCall call_;
};

}  // namespace setup::testing
