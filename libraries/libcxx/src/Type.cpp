// Default behaviour of CXX::Type shared by objects and class records.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "CXXRuntime/CXXBase"

namespace CXX {

MetaClass* Type::superclass() const { return metaClass()->superclass(); }

bool Type::isKindOf(const MetaClass* c) const {
  return c != nullptr && metaClass()->isKindOf(c);
}

bool Type::isMemberOf(const MetaClass* c) const { return c == metaClass(); }

bool Type::isEqual(const Type* other) const { return other == this; }

uint64_t Type::hash() const {
  return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(this)) * 2654435761ULL;
}

char* Type::description() const {
  const void* self = this;
  std::string text = formatString("<%s %p>", metaClass()->name(), self);
  if (text.empty()) return nullptr;
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

}  // namespace CXX
