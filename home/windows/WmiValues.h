// Reading WMI objects: scoped VARIANTs and BSTRs, and the two properties every process event
// needs. Nothing here throws: a value that cannot be read or converted is an error status.
#pragma once

#include <wbemidl.h>

#include <cstdint>

#include "ComRef.h"

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

// The process object an event carries as "TargetInstance", whatever the VARIANT holds.
HRESULT targetInstance(IWbemClassObject* event, shellkit::ComRef<IWbemClassObject>* process);
// "ProcessId" as a 32-bit unsigned value, converted when WMI gives another type.
HRESULT processIdOf(IWbemClassObject* process, std::uint32_t* processId);

}  // namespace Quarvo
