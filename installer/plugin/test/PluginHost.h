// Test-only: the plug-in as the installer holds it. The library is loaded by name and its
// exports found with GetProcAddress; the stack is built from global memory node by node and
// the variable area is 25 texts of the string size, fenced on both sides so a write past it
// shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "PluginCall.h"

namespace setup::testing {

using Export = void(__cdecl*)(HWND, int, wchar_t*, StackNode**, void*);

// setupplugin.dll beside the test program, freed when the object goes.
class LoadedPlugin {
 public:
  LoadedPlugin();
  ~LoadedPlugin();
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  HMODULE module() const { return module_; }
  Export find(const char* name) const;
  // The names in the library's export directory.
  std::vector<std::string> exportedNames() const;

 private:
  HMODULE module_;
};

// The installer's stack and variables for one string size.
class InstallerState {
 public:
  explicit InstallerState(int stringSize);
  ~InstallerState();
  InstallerState(const InstallerState&) = delete;
  InstallerState& operator=(const InstallerState&) = delete;

  int stringSize() const { return stringSize_; }
  StackNode** stack() { return &top_; }
  wchar_t* variables() { return reinterpret_cast<wchar_t*>(area_.data() + kFence); }

  void push(const std::u16string& text);
  // A node holding exactly string size characters of `text`, with no terminator, sized exactly.
  void pushUnterminated(const std::u16string& text);
  // The top text, removed; "<empty>" when the stack is empty.
  std::u16string pop();
  std::size_t depth() const;

  std::u16string variable(int index) const;
  void setVariable(int index, const std::u16string& text);
  bool fencesIntact() const;

  // Calls `entry` as the installer does, with extra parameters it never reads.
  void call(Export entry);

 private:
  static constexpr std::size_t kFence = 64;
  int stringSize_;
  StackNode* top_ = nullptr;
  std::vector<char16_t> area_;
};

}  // namespace setup::testing
