// Every JNI slot starts as a trap that names itself, so a native calling something the host
// does not implement stops at once with the function's name rather than misbehaving.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "State.h"

namespace jnihost {

namespace {

constexpr const char* kSlotNames[] = {
#define JNI_SLOT(name) #name,
#include "JniSlots.inc"
#undef JNI_SLOT
};
constexpr std::size_t kSlotCount = sizeof(kSlotNames) / sizeof(kSlotNames[0]);
static_assert(kSlotCount * sizeof(void*) == sizeof(JNINativeInterface_),
              "JniSlots.inc does not match this jni.h");

[[noreturn]] void unimplemented(const char* name) {
  std::fprintf(stderr, "FATAL ERROR in native method: JNI function %s is not implemented by the test host\n",
               name);
  std::fflush(stderr);
  std::abort();
}

template <std::size_t I>
void trap() {
  unimplemented(kSlotNames[I]);
}

void invokeTrap() { unimplemented("a JavaVM function"); }

using Slot = void (*)();

template <std::size_t... I>
void fill(JNINativeInterface_& f, std::index_sequence<I...>) {
  Slot slots[] = {&trap<I>...};
  static_assert(sizeof(slots) == sizeof(JNINativeInterface_), "one trap per slot");
  std::memcpy(static_cast<void*>(&f), slots, sizeof(slots));
}

}  // namespace

void installTraps(JNINativeInterface_& f, JNIInvokeInterface_& invoke) {
  fill(f, std::make_index_sequence<kSlotCount>());
  Slot slots[sizeof(JNIInvokeInterface_) / sizeof(void*)];
  for (Slot& slot : slots) slot = &invokeTrap;
  std::memcpy(static_cast<void*>(&invoke), slots, sizeof(slots));
}

}  // namespace jnihost
