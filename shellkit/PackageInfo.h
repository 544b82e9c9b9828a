// What ShellKit's PackageFindAll tells its callback about one store application; shared by the
// library and its clients. The pointers are valid only during the callback; null when empty.
#pragma once

#include <cstdint>

namespace Quarvo {

struct PackageInfo {
  const wchar_t* displayName;
  const wchar_t* familyName;
  const wchar_t* logoPath;
  int32_t backgroundColor;  // 0x00BBGGRR, or -1 for none
};

// Answers true to be called for the next package.
using PackageCallback = bool(__stdcall*)(const PackageInfo* info, void* context);

// PackageFindAll flags.
constexpr int32_t kPackageIncludeFrameworks = 1;
constexpr int32_t kPackageCurrentUserOnly = 2;

}  // namespace Quarvo
