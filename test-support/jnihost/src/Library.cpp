#include "jnihost/Library.h"

#include "LibraryPlatform.h"
#include "jnihost/Vm.h"

namespace jnihost {

std::unique_ptr<Library> Library::load(const std::string& path, std::string* error) {
  void* handle = platform::openLibrary(path, error);
  if (handle == nullptr) return nullptr;
  return std::unique_ptr<Library>(new Library(handle));
}

Library::~Library() = default;

void* Library::symbol(const std::string& name) const {
  return handle_ == nullptr ? nullptr : platform::findSymbol(handle_, name);
}

jint Library::onLoad() {
  using OnLoad = jint(JNICALL*)(JavaVM*, void*);
  auto fn = reinterpret_cast<OnLoad>(symbol("JNI_OnLoad"));
  if (fn == nullptr) return JNI_VERSION_1_1;
  return fn(Vm::instance().javaVm(), nullptr);
}

void Library::unload() {
  if (handle_ == nullptr) return;
  using OnUnload = void(JNICALL*)(JavaVM*, void*);
  if (auto fn = reinterpret_cast<OnUnload>(symbol("JNI_OnUnload"))) fn(Vm::instance().javaVm(), nullptr);
  platform::closeLibrary(handle_);
  handle_ = nullptr;
}

}  // namespace jnihost
