// One enumerated package, as the catalogue keeps it for the length of one listing.
#pragma once

#include <cstdint>
#include <string>

namespace shellkit {
namespace packages {

constexpr std::int32_t kNoColor = -1;

struct PackageRecord {
  bool isFramework = false;
  bool manifestLoaded = false;
  std::int32_t backgroundColor = kNoColor;  // 0x00BBGGRR
  std::wstring name;
  std::wstring fullName;
  std::wstring familyName;
  std::wstring installPath;  // always ends in a backslash
  std::wstring logoPath;
  std::wstring displayName;
};

}  // namespace packages
}  // namespace shellkit
