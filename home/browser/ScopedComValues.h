// Scoped VARIANTs and BSTRs for the COM calls of the home bridge and the installer plug-in.
#pragma once

#include <oleauto.h>

namespace Quarvo {

class ScopedVariant {
 public:
  ScopedVariant() { VariantInit(&value_); }
  ~ScopedVariant() { VariantClear(&value_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
  VARIANT* get() { return &value_; }

 private:
  VARIANT value_;
};

class ScopedBstr {
 public:
  explicit ScopedBstr(const wchar_t* text) : text_(SysAllocString(text)) {}
  ~ScopedBstr() { SysFreeString(text_); }
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  BSTR get() const { return text_; }
  explicit operator bool() const { return text_ != nullptr; }

 private:
  BSTR text_;
};

}  // namespace Quarvo
