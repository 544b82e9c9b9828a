// Shows sysbridge.dll at work as the service would use it, through the test JNI host (no Java
// VM runs under Wine): the machine identifier, the two directories, and a key tree written,
// read back and deleted under HKEY_CURRENT_USER.
#include <cstdio>
#include <string>

#include "jnihost/Library.h"
#include "jnihost/Vm.h"

namespace {

using jnihost::Object;
using jnihost::Vm;

constexpr const char* kRegistry = "jni/com/quarvo/os/windows/RegistryUtils";
constexpr const char* kSysKit = "jni/com/quarvo/os/windows/SysKit";
constexpr jint kCurrentUser = 3;

class Bridge {
 public:
  explicit Bridge(jnihost::Library& lib) : lib_(lib) {}

  void* native(const std::string& name) {
    void* fn = lib_.symbol(name);
    if (fn == nullptr) std::printf("missing export %s\n", name.c_str());
    return fn;
  }
  void* registry(const char* name) { return native(std::string("Java_jni_com_quarvo_os_windows_RegistryUtils_") + name); }
  void* sysKit(const char* name) { return native(std::string("Java_jni_com_quarvo_os_windows_SysKit_") + name); }

 private:
  jnihost::Library& lib_;
};

std::string hex(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  char part[4];
  for (std::uint8_t b : bytes) {
    std::snprintf(part, sizeof part, "%s%02X", out.empty() ? "" : ":", b);
    out += part;
  }
  return out;
}

}  // namespace

int main() {
  Vm& vm = Vm::instance();
  std::string error;
  auto lib = jnihost::Library::load("sysbridge.dll", &error);
  if (!lib) {
    std::printf("cannot load sysbridge.dll: %s\n", error.c_str());
    return 1;
  }
  std::printf("JNI_OnLoad: 0x%05lx\n", static_cast<unsigned long>(lib->onLoad()));
  Bridge bridge(*lib);

  Object* id = vm.callStatic<Object*>(bridge.sysKit("getSystemIdentifier"), kSysKit);
  std::printf("machine identifier: %s\n", id == nullptr ? "(none)" : hex(vm.bytes(id)).c_str());
  Object* temp = vm.callStatic<Object*>(bridge.sysKit("getTemporaryDirectory"), kSysKit);
  std::printf("temporary directory: %s\n", vm.utf8(temp).c_str());
  Object* common = vm.callStatic<Object*>(bridge.sysKit("getApplicationSupportDirectory"), kSysKit);
  std::printf("application support directory: %s\n", vm.utf8(common).c_str());

  Object* root = vm.newStringFromUtf8("Software\\QuarvoDemo");
  Object* leaf = vm.newStringFromUtf8("Software\\QuarvoDemo\\Profiles\\Child");
  Object* name = vm.newStringFromUtf8("DisplayName");
  Object* limit = vm.newStringFromUtf8("DailyMinutes");
  jboolean wroteText = vm.callStatic<jboolean>(bridge.registry("setStringValue"), kRegistry, kCurrentUser, leaf, name,
                                               vm.newStringFromUtf8("Jos\xC3\xA9"));
  jboolean wroteNumber = vm.callStatic<jboolean>(bridge.registry("setIntegerValue"), kRegistry, kCurrentUser, leaf,
                                                 limit, jint{90});
  std::printf("wrote HKCU\\Software\\QuarvoDemo\\Profiles\\Child: text %s, number %s\n", wroteText ? "yes" : "no",
              wroteNumber ? "yes" : "no");
  Object* text = vm.callStatic<Object*>(bridge.registry("getStringValue"), kRegistry, kCurrentUser, leaf, name);
  jint number = vm.callStatic<jint>(bridge.registry("getIntegerValue"), kRegistry, kCurrentUser, leaf, limit);
  std::printf("read back: DisplayName = \"%s\", DailyMinutes = %ld\n", vm.utf8(text).c_str(), static_cast<long>(number));
  jboolean deleted = vm.callStatic<jboolean>(bridge.registry("deleteNode"), kRegistry, kCurrentUser, root);
  Object* after = vm.callStatic<Object*>(bridge.registry("getStringValue"), kRegistry, kCurrentUser, leaf, name);
  std::printf("deleted the tree: %s; DisplayName afterwards: %s\n", deleted ? "yes" : "no",
              after == nullptr ? "(gone)" : vm.utf8(after).c_str());
  return wroteText && wroteNumber && deleted && after == nullptr ? 0 : 1;
}
