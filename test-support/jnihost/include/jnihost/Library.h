// Loads a JNI library as the VM does (LoadLibraryW on Windows, dlopen elsewhere), runs its
// JNI_OnLoad, and finds natives by their JNI names.
#pragma once

#include <jni.h>

#include <memory>
#include <string>

namespace jnihost {

class Library {
 public:
  // Null with `error` set when the file cannot be loaded.
  static std::unique_ptr<Library> load(const std::string& path, std::string* error);
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // An exported symbol, or null.
  void* symbol(const std::string& name) const;
  // Calls JNI_OnLoad with the host's JavaVM; JNI_VERSION_1_1 when the library has none.
  jint onLoad();
  // Calls JNI_OnUnload when there is one and unloads the library.
  void unload();

 private:
  explicit Library(void* handle) : handle_(handle) {}
  void* handle_;
};

}  // namespace jnihost
