// Native objects cross into the service as 64-bit handles: the object's address. Every handle
// coming back is checked against the expected class before use; a null or foreign handle
// is treated as no object.
#pragma once

#include <jni.h>

#include "CXXRuntime/CXXBase"

namespace kiv {
namespace jni {

template <class X>
X* objectFromHandle(jlong handle) {
  if (handle == 0) return nullptr;
  auto* object = reinterpret_cast<CXX::Object*>(static_cast<intptr_t>(handle));
  return object->isKindOf(&X::_MetaClass::instance) ? static_cast<X*>(object) : nullptr;
}

inline jlong handleOf(CXX::Object* object) { return static_cast<jlong>(reinterpret_cast<intptr_t>(object)); }

}  // namespace jni
}  // namespace kiv
