// WinHomeUtils on a system that reports Windows 7 (set for this program in the Wine prefix):
// ShellKit is never loaded there, even with one beside homebridge.dll, so store applications
// are neither listed nor found, quietly.
#include <gtest/gtest.h>

#include "jnihost/HostTest.h"

namespace {

using jnihost::CallContext;
using jnihost::Object;
using jnihost::Value;

constexpr const char* kUtils = "jni/com/quarvo/os/windows/WinHomeUtils";

class HomeUtilsOnWindows7Test : public jnihost::HostTest {
 protected:
  static void* fn(const char* name) {
    return native(library("homebridge.dll"), std::string("Java_jni_com_quarvo_os_windows_WinHomeUtils_") + name);
  }
};

TEST_F(HomeUtilsOnWindows7Test, StoreApplicationsAreNotListed) {
  EXPECT_FALSE(vm.callStatic<jboolean>(fn("isApplicationListingSupported"), kUtils));
  Object* family = vm.newStringFromUtf8("Microsoft.BingWeather_8wekyb3d8bbwe");
  EXPECT_FALSE(vm.callStatic<jboolean>(fn("isPackageAvailable"), kUtils, family));

  vm.defineClass("test/PackageService", kUtils)
      .method("onPackage", "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;ILjava/util/Map;)V",
              [](CallContext&) { return Value{}; });
  Object* service = vm.newInstance("test/PackageService");
  vm.callInstance<void>(fn("getInstalledPackages"), service, vm.newStringFromUtf8("onPackage"),
                        static_cast<Object*>(nullptr));
  EXPECT_TRUE(vm.calls().empty());
  EXPECT_TRUE(thrown().className.empty());
}

}  // namespace
