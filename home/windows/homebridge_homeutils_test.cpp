// WinHomeUtils through homebridge.dll as the service calls it, under Wine: the proxy for every
// user, running browsers, Firefox directories, display names, and store applications from a
// test-only ShellKit.dll beside the library.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "jnihost/HostTest.h"

namespace {

using jnihost::CallContext;
using jnihost::Object;
using jnihost::Value;

constexpr const char* kUtils = "jni/com/quarvo/os/windows/WinHomeUtils";
const wchar_t kSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

std::wstring proxyServer() {
  wchar_t text[512] = L"";
  DWORD size = sizeof text;
  if (SHGetValueW(HKEY_CURRENT_USER, kSettings, L"ProxyServer", nullptr, text, &size) != ERROR_SUCCESS) return L"(none)";
  return text;
}

class HomeUtilsTest : public jnihost::HostTest {
 protected:
  static void* fn(const char* name) {
    return native(library("homebridge.dll"), std::string("Java_jni_com_quarvo_os_windows_WinHomeUtils_") + name);
  }
  jboolean setProxy(Object* http, jint httpPort, Object* https, jint httpsPort) {
    return vm.callStatic<jboolean>(fn("setProxy"), kUtils, http, httpPort, https, httpsPort);
  }
  Object* str(const char* utf8) { return vm.newStringFromUtf8(utf8); }
};

TEST_F(HomeUtilsTest, SetsAndRemovesTheProxyForEveryUser) {
  EXPECT_TRUE(setProxy(str("127.0.0.1"), 8080, nullptr, 0));
  EXPECT_EQ(proxyServer(), L"http=127.0.0.1:8080");
  EXPECT_TRUE(setProxy(nullptr, 0, str("secure.local"), 8443));
  EXPECT_EQ(proxyServer(), L"https=secure.local:8443");
  EXPECT_FALSE(setProxy(vm.newString(std::u16string(250, u'h')), 8080, nullptr, 0)) << "would be cut";
  EXPECT_EQ(proxyServer(), L"https=secure.local:8443") << "a refused call changes nothing";
  EXPECT_FALSE(setProxy(vm.newString(std::u16string(300, u'h')), 8080, nullptr, 0)) << "not a removal";
  EXPECT_TRUE(setProxy(str(""), 0, nullptr, 0));
  EXPECT_EQ(proxyServer(), L"(none)");
}

TEST_F(HomeUtilsTest, FirefoxDirectoriesArriveInAHashSet) {
  SHSetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe", nullptr,
              REG_SZ, L"C:\\Mozilla\\firefox.exe", 44);
  Object* set = vm.callStatic<Object*>(fn("getFirefoxRegistryDirectories"), kUtils);
  SHDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe");
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(vm.className(set), "java/util/HashSet");
  std::vector<std::string> directories;
  for (Object* each : vm.elements(set)) directories.push_back(vm.utf8(each));
  EXPECT_NE(std::find(directories.begin(), directories.end(), "C:\\Mozilla\\"), directories.end());
}

TEST_F(HomeUtilsTest, NoBrowserRunsAndWineNamesNoApplication) {
  EXPECT_FALSE(vm.callStatic<jboolean>(fn("isBrowserRunning"), kUtils, static_cast<Object*>(nullptr), jboolean{0}));
  EXPECT_EQ(vm.callStatic<Object*>(fn("getApplicationDisplayName"), kUtils, static_cast<Object*>(nullptr)), nullptr);
}

TEST_F(HomeUtilsTest, StoreApplicationsComeFromShellKitWithTheirColoursTurned) {
  EXPECT_TRUE(vm.callStatic<jboolean>(fn("isApplicationListingSupported"), kUtils));
  EXPECT_TRUE(vm.callStatic<jboolean>(fn("isPackageAvailable"), kUtils, str("Microsoft.BingWeather_8wekyb3d8bbwe")));
  EXPECT_FALSE(vm.callStatic<jboolean>(fn("isPackageAvailable"), kUtils, str("Other_family")));
  EXPECT_FALSE(vm.callStatic<jboolean>(fn("isPackageAvailable"), kUtils, static_cast<Object*>(nullptr)));

  vm.defineClass("test/PackageService", kUtils)
      .method("onPackage", "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;ILjava/util/Map;)V",
              [](CallContext&) { return Value{}; });
  Object* service = vm.newInstance("test/PackageService");
  Object* extra = vm.newInstance("java/util/HashMap");
  vm.callInstance<void>(fn("getInstalledPackages"), service, str("onPackage"), extra);
  std::vector<jnihost::CallRecord> calls = vm.calls();
  ASSERT_EQ(calls.size(), 3u) << "found only on the retry for the current user";
  EXPECT_EQ(vm.utf8(calls[0].args[0].object), "Microsoft.WindowsCalculator_8wekyb3d8bbwe");
  EXPECT_EQ(vm.utf8(calls[0].args[1].object), "Calculator");
  std::string logo = vm.utf8(calls[0].args[2].object);
  EXPECT_NE(logo.find("\\Calculator\\Assets\\logo.png"), std::string::npos) << logo;
  EXPECT_EQ(calls[0].args[3].number, 0x00112233) << "#112233 in the manifest, handed on as 0x00RRGGBB";
  EXPECT_EQ(calls[0].args[4].object, extra);
  EXPECT_EQ(calls[1].args[1].object, nullptr);
  EXPECT_EQ(calls[1].args[3].number, -1);
  EXPECT_EQ(vm.utf8(calls[2].args[1].object), "Weather") << "resolved through the package's resources";
  EXPECT_EQ(calls[2].args[3].number, 0x000000FF);
}

TEST_F(HomeUtilsTest, ALongListingKeepsLocalReferencesBounded) {
  ASSERT_TRUE(vm.callStatic<jboolean>(fn("isApplicationListingSupported"), kUtils));  // ShellKit loaded
  using SetExtra = void(__stdcall*)(int);
  auto setExtra = reinterpret_cast<SetExtra>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ShellKit.dll"), "FakeCatalogueSetExtraPackages")));
  ASSERT_NE(setExtra, nullptr) << "the test-only ShellKit.dll is loaded beside homebridge.dll";
  setExtra(500);
  static std::size_t mostLocals;
  mostLocals = 0;
  vm.defineClass("test/CountingPackageService", kUtils)
      .method("onPackage", "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;ILjava/util/Map;)V",
              [](CallContext& c) {
                mostLocals = std::max(mostLocals, c.vm.liveLocalRefs());
                return Value{};
              });
  Object* service = vm.newInstance("test/CountingPackageService");
  const std::size_t before = vm.liveLocalRefs();
  vm.callInstance<void>(fn("getInstalledPackages"), service, str("onPackage"), static_cast<Object*>(nullptr));
  setExtra(0);
  EXPECT_EQ(vm.calls().size(), 503u);
  EXPECT_LE(mostLocals, before + 12) << "references of earlier packages were kept";
}

TEST_F(HomeUtilsTest, ABadMethodNameOrAThrowingCallbackReachesTheService) {
  vm.defineClass("test/ThrowingPackageService", kUtils)
      .method("onPackage", "(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;ILjava/util/Map;)V",
              [](CallContext& c) {
                c.vm.throwNew("java/lang/IllegalStateException", "catalogue closed");
                return Value{};
              });
  Object* service = vm.newInstance("test/ThrowingPackageService");
  vm.callInstance<void>(fn("getInstalledPackages"), service, str("noSuchMethod"), static_cast<Object*>(nullptr));
  Thrown bad = thrown();
  EXPECT_EQ(bad.className, "java/lang/IllegalArgumentException");
  EXPECT_EQ(bad.message, "Invalid argument!");
  vm.callInstance<void>(fn("getInstalledPackages"), service, str("onPackage"), static_cast<Object*>(nullptr));
  EXPECT_EQ(vm.calls().size(), 1u) << "the first exception ends the listing";
  EXPECT_EQ(thrown().className, "java/lang/IllegalStateException");
}

}  // namespace
