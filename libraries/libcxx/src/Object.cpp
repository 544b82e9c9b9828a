// CXX::Object: counting and the end of an object's life.
#include "CXXRuntime/CXXBase"

namespace CXX {

CXX_DEFINE_ABSTRACT_CLASS(Object, "CXX", "Object", void, "CXX::Object")

void Object::retain() {
  if (refCount_.load(std::memory_order_relaxed) == STATIC_OBJECT_COUNT) return;
  refCount_.fetch_add(1, std::memory_order_relaxed);
}

void Object::release() {
  if (refCount_.load(std::memory_order_relaxed) == STATIC_OBJECT_COUNT) return;
  // acq_rel: the thread that runs dealloc must see every write made before the other releases.
  int32_t count = refCount_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (count == 0) dealloc();
  if (count < 0) fatalAssertion("over released object");
}

int64_t Object::retainCount() const {
  int32_t count = refCount_.load(std::memory_order_relaxed);
  return count > 0 ? count : 0;
}

void Object::dealloc() {
  MetaClass* record = metaClass();
  if (record) record->instanceDestroyed();
  delete this;
}

}  // namespace CXX
