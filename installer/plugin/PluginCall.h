// What an installer plug-in export receives and the operations on it. Every export is unmangled
// cdecl taking (parent window, string size in characters, variable area, address of the stack's
// top pointer, extra parameters); the export builds a PluginCall from the middle three and works
// through it. Texts are UTF-16: char16_t here, the same bytes as the installer's wchar_t.
#pragma once

#include <string>
#include <string_view>

namespace setup {

// One node of the installer's string stack, as the installer lays it out: the text follows the
// link and holds up to the string size in characters, terminated only when shorter.
struct StackNode {
  StackNode* next;
  char16_t text[1];
};

// Results in the installer's convention.
constexpr int kSuccess = 0;
constexpr int kFailure = 1;

// The installer has 25 user variables ($0-$9, $R0-$R9 and five of its own) in one area, each
// string size characters long.
constexpr int kVariableCount = 25;

class PluginCall {
 public:
  PluginCall(int stringSize, char16_t* variables, StackNode** stackTop)
      : stringSize_(stringSize), variables_(variables), stackTop_(stackTop) {}

  int stringSize() const { return stringSize_; }

  // Takes the top text off the stack and frees its node. On failure (no stack, empty stack)
  // neither the stack nor `text` changes.
  int pop(std::u16string& text);

  // As pop, converted to the 8-bit code page; when the text does not convert the node stays on
  // the stack and `text` is unchanged.
  int popAnsi(std::string& text);

  // Puts `text` on top, cut to string size - 1 characters.
  int push(std::u16string_view text);

  // Writes `text` to variable `index` (0-24), cut to string size - 1 characters.
  int setVariable(int index, std::u16string_view text);

 private:
  bool usable() const { return stringSize_ > 0; }
  std::u16string topText() const;
  void dropTop();

  int stringSize_;
  char16_t* variables_;
  StackNode** stackTop_;
};

// A number as the installer's "%d" writes it: signed decimal.
std::u16string decimalText(int value);

}  // namespace setup
