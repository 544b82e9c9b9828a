// Test-only ShellKit.dll beside homebridge.dll: a store-application catalogue of three packages
// that, like a machine listing all users' packages without the rights to, finds nothing unless
// asked for the current user's (flag 2).
#include <cstdint>
#include <cwchar>

#include "PackageInfo.h"

namespace {

const Quarvo::PackageInfo kPackages[] = {
    {L"Calculator", L"Microsoft.WindowsCalculator_8wekyb3d8bbwe", L"C:\\Apps\\calc\\logo.png", 0x00112233},
    {nullptr, L"NoName_family", nullptr, -1},
    {L"Weather", L"Microsoft.BingWeather_8wekyb3d8bbwe", L"C:\\Apps\\weather\\logo.png", 0x00FF0000},
};

}  // namespace

extern "C" {

__declspec(dllexport) bool __stdcall PackageFindAll(uint32_t flags, void* callback, void* context) {
  if ((flags & Quarvo::kPackageCurrentUserOnly) == 0) return false;
  auto visit = reinterpret_cast<Quarvo::PackageCallback>(callback);
  for (const Quarvo::PackageInfo& info : kPackages) {
    if (!visit(&info, context)) break;
  }
  return true;
}

__declspec(dllexport) bool __stdcall PackageIsAvailable(const wchar_t* familyName) {
  return familyName != nullptr && std::wcscmp(familyName, L"Microsoft.BingWeather_8wekyb3d8bbwe") == 0;
}

}  // extern "C"
