#include "PluginHost.h"

#include <algorithm>
#include <stdexcept>

namespace setup::testing {

namespace {

constexpr char16_t kFenceMark = 0xA5A5;

std::wstring besideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

template <typename T>
const T* at(HMODULE module, DWORD offset) {
  return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + offset);
}

}  // namespace

LoadedPlugin::LoadedPlugin() : module_(LoadLibraryW(besideThisProgram(L"setupplugin.dll").c_str())) {
  if (module_ == nullptr) throw std::runtime_error("setupplugin.dll does not load");
}

LoadedPlugin::~LoadedPlugin() { FreeLibrary(module_); }

Export LoadedPlugin::find(const char* name) const {
  return reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
}

std::vector<std::string> LoadedPlugin::exportedNames() const {
  const auto* dos = at<IMAGE_DOS_HEADER>(module_, 0);
  const auto* nt = at<IMAGE_NT_HEADERS>(module_, static_cast<DWORD>(dos->e_lfanew));
  const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  std::vector<std::string> names;
  if (entry.Size == 0) return names;
  const auto* directory = at<IMAGE_EXPORT_DIRECTORY>(module_, entry.VirtualAddress);
  const auto* nameOffsets = at<DWORD>(module_, directory->AddressOfNames);
  for (DWORD i = 0; i < directory->NumberOfNames; ++i) names.emplace_back(at<char>(module_, nameOffsets[i]));
  std::sort(names.begin(), names.end());
  return names;
}

InstallerState::InstallerState(int stringSize)
    : stringSize_(stringSize), area_(2 * kFence + static_cast<std::size_t>(kVariableCount) * stringSize, kFenceMark) {
  std::fill_n(area_.begin() + kFence, static_cast<std::size_t>(kVariableCount) * stringSize, u'\0');
}

InstallerState::~InstallerState() {
  while (top_ != nullptr) {
    StackNode* next = top_->next;
    GlobalFree(top_);
    top_ = next;
  }
}

void InstallerState::push(const std::u16string& text) {
  auto* node = static_cast<StackNode*>(GlobalAlloc(GPTR, sizeof(StackNode) + stringSize_ * sizeof(char16_t)));
  if (node == nullptr) throw std::bad_alloc();
  std::copy_n(text.data(), std::min<std::size_t>(text.size(), stringSize_ - 1), node->text);
  node->next = top_;
  top_ = node;
}

void InstallerState::pushUnterminated(const std::u16string& text) {
  const std::size_t bytes = offsetof(StackNode, text) + stringSize_ * sizeof(char16_t);
  auto* node = static_cast<StackNode*>(GlobalAlloc(GMEM_FIXED, bytes));
  if (node == nullptr) throw std::bad_alloc();
  std::copy_n(text.data(), std::min<std::size_t>(text.size(), stringSize_), static_cast<char16_t*>(node->text));
  node->next = top_;
  top_ = node;
}

std::u16string InstallerState::pop() {
  if (top_ == nullptr) return u"<empty>";
  StackNode* node = top_;
  top_ = node->next;
  const char16_t* text = node->text;
  std::u16string out(text, std::find(text, text + stringSize_, u'\0'));
  GlobalFree(node);
  return out;
}

std::size_t InstallerState::depth() const {
  std::size_t count = 0;
  for (const StackNode* node = top_; node != nullptr; node = node->next) ++count;
  return count;
}

std::u16string InstallerState::variable(int index) const {
  const char16_t* text = area_.data() + kFence + static_cast<std::size_t>(index) * stringSize_;
  return std::u16string(text, std::find(text, text + stringSize_, u'\0'));
}

void InstallerState::setVariable(int index, const std::u16string& text) {
  char16_t* target = area_.data() + kFence + static_cast<std::size_t>(index) * stringSize_;
  std::fill_n(target, stringSize_, u'\0');
  std::copy_n(text.data(), std::min<std::size_t>(text.size(), stringSize_ - 1), target);
}

bool InstallerState::fencesIntact() const {
  auto fence = [](auto first, auto last) { return std::all_of(first, last, [](char16_t c) { return c == kFenceMark; }); };
  return fence(area_.begin(), area_.begin() + kFence) && fence(area_.end() - kFence, area_.end());
}

void InstallerState::call(Export entry) {
  // The installer's extra parameters: a structure of callbacks and flags the plug-in ignores.
  void* extra[16] = {};
  entry(nullptr, stringSize_, variables(), &top_, extra);
}

}  // namespace setup::testing
