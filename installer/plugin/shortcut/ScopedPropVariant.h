// setup::ScopedPropVariant: one PROPVARIANT, cleared (its text freed to the task allocator) when
// it goes away. PropVariantClear comes from ole32, so this works on Windows XP as well.
#pragma once

#include <windows.h>
#include <propidl.h>

namespace setup {

class ScopedPropVariant {
 public:
  ScopedPropVariant() { PropVariantInit(&value_); }
  ~ScopedPropVariant() { PropVariantClear(&value_); }
  ScopedPropVariant(const ScopedPropVariant&) = delete;
  ScopedPropVariant& operator=(const ScopedPropVariant&) = delete;

  // Holds `text`, a block from the task allocator, as a wide-text value; it is freed with the value.
  void holdText(wchar_t* text) {
    PropVariantClear(&value_);
    value_.vt = VT_LPWSTR;
    value_.pwszVal = text;
  }

  const PROPVARIANT& get() const { return value_; }

 private:
  PROPVARIANT value_;
};

}  // namespace setup
