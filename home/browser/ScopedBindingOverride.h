// Test support: replaces what a run-time binding answers for one scope (null: missing function).
#pragma once

#include "RuntimeBindings.h"

namespace Quarvo::testing {

template <class Function>
class ScopedBindingOverride {
 public:
  ScopedBindingOverride(RuntimeBinding<Function>& binding, Function replacement) : binding_(binding) {
    binding_.overrideForTesting(replacement);
  }
  ~ScopedBindingOverride() { binding_.restoreForTesting(); }
  ScopedBindingOverride(const ScopedBindingOverride&) = delete;
  ScopedBindingOverride& operator=(const ScopedBindingOverride&) = delete;

 private:
  RuntimeBinding<Function>& binding_;
};

}  // namespace Quarvo::testing
