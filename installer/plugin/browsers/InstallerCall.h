// Test support: what the installer hands an export, built as the installer builds it: a
// variable area of 25 texts and a stack of nodes from the plug-in's own allocator.
#pragma once

#include <string>
#include <vector>

#include "PluginCall.h"

namespace setup::testing {

// Variables start out as "untouched", so a test sees which ones an action wrote.
class InstallerCall {
 public:
  static constexpr int kStringSize = 1024;

  InstallerCall();
  ~InstallerCall();
  InstallerCall(const InstallerCall&) = delete;
  InstallerCall& operator=(const InstallerCall&) = delete;

  // Puts `text` on top of the stack.
  void push(const std::u16string& text);
  std::u16string variable(int index) const;
  bool stackEmpty() const { return top_ == nullptr; }

  PluginCall& call() { return call_; }

 private:
  std::vector<char16_t> variables_;
  StackNode* top_ = nullptr;
  PluginCall call_;
};

}  // namespace setup::testing
