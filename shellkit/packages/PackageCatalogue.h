// The store-application catalogue behind ShellKit's PackageFindAll and PackageIsAvailable:
// packages come from the package manager, names and pictures from each package's manifest,
// read lazily, one package at a time, just before the package is handed on.
#pragma once

#include <cstdint>
#include <vector>

#include "PackageInfo.h"
#include "PackagePlatform.h"
#include "PackageRecord.h"

namespace shellkit {
namespace packages {

// Whether the current user has a package of this family; false on any failure.
bool packageIsAvailable(const PackagePlatform& platform, const wchar_t* familyName);

// The installed packages (flags as PackageFindAll's); packages whose identity or location
// cannot be read are left out; empty when the package manager cannot be reached.
std::vector<PackageRecord> collectPackages(const PackagePlatform& platform, std::int32_t flags);

// Fills display name, logo and tile colour from the package's manifest; reads it once.
void readManifest(const PackagePlatform& platform, PackageRecord& record);

// Hands each package to the callback until it answers false; true when any package was found.
bool findAllPackages(const PackagePlatform& platform, std::int32_t flags, Quarvo::PackageCallback callback,
                     void* context);

}  // namespace packages
}  // namespace shellkit
