#include "DigestAction.h"

#include "CryptoSha1.h"

#include <string>

namespace setup {

namespace {

constexpr int kResultVariable = 10;  // $R0

std::u16string hexText(const Sha1Digest& digest) {
  static constexpr char16_t digits[] = u"0123456789abcdef";
  std::u16string text;
  text.reserve(digest.size() * 2);
  for (unsigned char byte : digest) {
    text.push_back(digits[byte >> 4]);
    text.push_back(digits[byte & 0x0F]);
  }
  return text;
}

}  // namespace

void hashText(PluginCall& call) {
  call.setVariable(kResultVariable, u"");
  std::string text;
  if (call.popAnsi(text) != kSuccess) return;
  const std::optional<Sha1Digest> first = sha1(text.data(), text.size());
  if (!first) return;
  const std::optional<Sha1Digest> second = sha1(first->data(), first->size());
  if (!second) return;
  call.setVariable(kResultVariable, hexText(*second));
}

}  // namespace setup
