#include "InstallerState.h"

#include <algorithm>
#include <new>
#include <utility>

#include "PluginMemory.h"

namespace setup::testing {

namespace {

constexpr char16_t kFenceMark = 0xA5A5;

std::size_t areaSize(int stringSize) { return static_cast<std::size_t>(kVariableCount) * stringSize; }

StackNode* allocateNode(std::size_t bytes) {
  auto* node = static_cast<StackNode*>(memory::allocateZeroed(bytes));
  if (node == nullptr) throw std::bad_alloc();
  return node;
}

}  // namespace

InstallerState::InstallerState(int stringSize, char16_t fill)
    : stringSize_(stringSize),
      fill_(fill),
      area_(2 * kFence + areaSize(stringSize), kFenceMark),
      call_(stringSize, slot(0), &top_) {
  std::fill_n(slot(0), areaSize(stringSize), fill);
}

InstallerState::~InstallerState() {
  while (top_ != nullptr) memory::release(std::exchange(top_, top_->next));
}

void InstallerState::push(std::u16string_view text) {
  StackNode* node = allocateNode(sizeof(StackNode) + stringSize_ * sizeof(char16_t));
  std::copy_n(text.data(), std::min<std::size_t>(text.size(), stringSize_ - 1), static_cast<char16_t*>(node->text));
  pushNode(node);
}

void InstallerState::pushForPopping(std::initializer_list<std::u16string_view> texts) {
  for (auto text = std::rbegin(texts); text != std::rend(texts); ++text) push(*text);
}

void InstallerState::pushUnterminated(std::u16string_view text) {
  StackNode* node = allocateNode(offsetof(StackNode, text) + stringSize_ * sizeof(char16_t));
  std::copy_n(text.data(), std::min<std::size_t>(text.size(), stringSize_), static_cast<char16_t*>(node->text));
  pushNode(node);
}

void InstallerState::pushNode(StackNode* node) {
  node->next = top_;
  top_ = node;
}

std::u16string InstallerState::pop() {
  if (top_ == nullptr) return u"<empty>";
  StackNode* node = std::exchange(top_, top_->next);
  const char16_t* text = node->text;
  std::u16string out(text, std::find(text, text + stringSize_, u'\0'));
  memory::release(node);
  return out;
}

std::size_t InstallerState::depth() const {
  std::size_t count = 0;
  for (const StackNode* node = top_; node != nullptr; node = node->next) ++count;
  return count;
}

std::u16string InstallerState::variable(int index) const {
  const char16_t* text = slot(index);
  return std::u16string(text, std::find(text, text + stringSize_, u'\0'));
}

bool InstallerState::untouched(int index) const {
  const char16_t* text = slot(index);
  return std::all_of(text, text + stringSize_, [this](char16_t c) { return c == fill_; });
}

void InstallerState::setVariable(int index, std::u16string_view text) {
  char16_t* target = slot(index);
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

char16_t* InstallerState::slot(int index) { return area_.data() + kFence + static_cast<std::size_t>(index) * stringSize_; }

const char16_t* InstallerState::slot(int index) const {
  return area_.data() + kFence + static_cast<std::size_t>(index) * stringSize_;
}

}  // namespace setup::testing
