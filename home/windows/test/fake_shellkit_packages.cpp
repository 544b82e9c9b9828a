// Test-only ShellKit.dll beside homebridge.dll: the real package catalogue over stand-ins for
// the package manager and the packaging factory (Wine has neither), with three packages whose
// manifests it writes under %TEMP% on first use. Like a machine listing all users' packages
// without the rights to, it finds nothing unless asked for the current user's (flag 2).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "PackageCatalogue.h"
#include "test/StandInPackages.h"

namespace {

using namespace shellkit::packages;

std::string manifest(const std::string& properties, const std::string& color) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<Package xmlns=\"http://schemas.microsoft.com/appx/manifest/foundation/windows10\">\n"
         "  <Properties>" + properties + "</Properties>\n"
         "  <Applications><Application Id=\"App\"><VisualElements BackgroundColor=\"" + color +
         "\"><DefaultTile/></VisualElements></Application></Applications>\n</Package>\n";
}

standin::World& world() {
  static standin::World catalogue = [] {
    standin::World built;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring root = std::wstring(temp) + L"fake-shellkit-catalogue\\";
    CreateDirectoryW(root.c_str(), nullptr);
    struct Entry {
      const wchar_t* name;
      const wchar_t* family;
      std::string manifest;
    };
    const Entry entries[] = {
        {L"Calculator", L"Microsoft.WindowsCalculator_8wekyb3d8bbwe",
         manifest("<DisplayName>Calculator</DisplayName><Logo>Assets\\logo.png</Logo>", "#112233")},
        {L"NoName", L"NoName_family", std::string()},
        {L"Weather", L"Microsoft.BingWeather_8wekyb3d8bbwe",
         manifest("<DisplayName>ms-resource:AppName</DisplayName>", "Blue")},
    };
    for (const Entry& entry : entries) {
      std::wstring folder = root + entry.name;
      CreateDirectoryW(folder.c_str(), nullptr);
      if (!entry.manifest.empty()) {
        standin::writeManifest(folder, entry.manifest);
      }
      standin::Package package;
      package.name = entry.name;
      package.familyName = entry.family;
      package.fullName = std::wstring(entry.name) + L"_1.0.0.0_x64__8wekyb3d8bbwe";
      package.path = folder;
      package.currentUserOnly = true;
      built.packages.push_back(package);
      std::wstring pri = L"@{" + folder + L"\\resources.pri?ms-resource://" + entry.name;
      built.resolved[pri + L"/Files/Assets/logo.png}"] = L"Assets\\logo.png";
      built.resolved[pri + L"/resources/AppName}"] = L"Weather";
    }
    return built;
  }();
  return catalogue;
}

}  // namespace

extern "C" {

__declspec(dllexport) bool __stdcall PackageFindAll(std::int32_t flags, Quarvo::PackageCallback callback,
                                                    void* context) {
  return findAllPackages(standin::platformFor(world()), flags, callback, context);
}

__declspec(dllexport) bool __stdcall PackageIsAvailable(const wchar_t* familyName) {
  return packageIsAvailable(standin::platformFor(world()), familyName);
}

// Test control: adds `count` packages without manifests (a long listing) or, with 0, removes
// them again.
__declspec(dllexport) void __stdcall FakeCatalogueSetExtraPackages(int count) {
  std::vector<standin::Package>& packages = world().packages;
  packages.resize(3);
  for (int i = 0; i < count; ++i) {
    standin::Package package;
    package.name = L"Extra" + std::to_wstring(i);
    package.familyName = package.name + L"_family";
    package.fullName = package.name + L"_1.0.0.0_x64__family";
    package.path = L"C:\\NoSuchFolder\\" + package.name;
    package.currentUserOnly = true;
    packages.push_back(package);
  }
}

}  // extern "C"
