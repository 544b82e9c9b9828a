// CXX::Type: the root interface shared by counted objects (CXX::Object) and class records
// (CXX::MetaClass). Its operations come first in every dispatch table, in this order.
#pragma once

#include <cstdint>

namespace CXX {

class MetaClass;

class Type {
 public:
  virtual void retain() = 0;
  virtual void release() = 0;
  // The number of owners; 0 for static objects and class records.
  virtual int64_t retainCount() const = 0;
  virtual MetaClass* metaClass() const = 0;
  virtual MetaClass* superclass() const;
  // True when c is this object's class or one of its ancestors; false for null.
  virtual bool isKindOf(const MetaClass* c) const;
  virtual bool isMemberOf(const MetaClass* c) const;
  virtual bool isEqual(const Type* other) const;
  // Address times 2654435761 (Knuth's multiplicative constant), modulo 2^64.
  virtual uint64_t hash() const;
  // "<qualified-name address>" in a malloc block the caller frees; null on failure.
  virtual char* description() const;
  virtual ~Type() = default;

 protected:
  Type() = default;
  Type(const Type&) = delete;
  Type& operator=(const Type&) = delete;
};

}  // namespace CXX
