// Test-only: what the installer hands an export, built as the installer builds it. The variable
// area is 25 texts of the string size, fenced on both sides so a write past it shows; the stack's
// nodes come from the plug-in's own allocator, so the code under test can free them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "PluginCall.h"

namespace setup::testing {

// An export as the installer finds it by name.
using Export = void(__cdecl*)(HWND, int, wchar_t*, StackNode**, void*);

class InstallerState {
 public:
  static constexpr int kDefaultStringSize = 1024;

  // Every character of the variable area starts as `fill`: zero gives empty variables, a mark
  // leaves each slot whole and unterminated, so a variable an action never wrote stays visible.
  explicit InstallerState(int stringSize = kDefaultStringSize, char16_t fill = u'\0');
  ~InstallerState();
  InstallerState(const InstallerState&) = delete;
  InstallerState& operator=(const InstallerState&) = delete;

  int stringSize() const { return stringSize_; }
  StackNode** stack() { return &top_; }
  StackNode* top() const { return top_; }
  wchar_t* variables() { return reinterpret_cast<wchar_t*>(slot(0)); }

  // Puts `text` on top, cut to string size - 1 characters.
  void push(std::u16string_view text);
  // Pushes the texts so that the first ends on top, as a script's Push calls in reverse.
  void pushForPopping(std::initializer_list<std::u16string_view> texts);
  // A node holding exactly string size characters of `text`, with no terminator, sized exactly.
  void pushUnterminated(std::u16string_view text);
  // The top text, removed; "<empty>" when the stack is empty.
  std::u16string pop();
  std::size_t depth() const;
  bool stackEmpty() const { return top_ == nullptr; }

  // The slot up to its terminator, or the whole slot when there is none.
  std::u16string variable(int index) const;
  // Whether the slot still holds the fill whole.
  bool untouched(int index) const;
  void setVariable(int index, std::u16string_view text);
  bool fencesIntact() const;

  // For an action called directly.
  PluginCall& call() { return call_; }
  // Calls `entry` as the installer does, with extra parameters it never reads.
  void call(Export entry);

 private:
  static constexpr std::size_t kFence = 64;

  char16_t* slot(int index);
  const char16_t* slot(int index) const;
  void pushNode(StackNode* node);

  int stringSize_;
  char16_t fill_;
  StackNode* top_ = nullptr;
  std::vector<char16_t> area_;
  PluginCall call_;
};

}  // namespace setup::testing
