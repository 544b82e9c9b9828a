// Manifest values that name resources ("ms-resource:AppName", "Assets\Logo.png") and their
// resolution through the package's resources.pri.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "PackagePlatform.h"

namespace shellkit {
namespace packages {

// The resource key for a value: files under "Files/" with forward slashes; texts only when they
// carry an "ms-resource:" prefix. Nothing for a plain text, which stands as it is.
std::optional<std::wstring> manifestResourceKey(std::wstring_view value, bool asFile);

// "@{<resources.pri>?ms-resource://<package name>/<key>}"
std::wstring indirectResourceString(std::wstring_view resourceFile, std::wstring_view packageName,
                                    std::wstring_view key);

// The value as the package shows it: resolved through the platform's resolver when it names a
// resource (at most 255 characters), unchanged otherwise; empty when resolution fails.
std::wstring resolveManifestValue(const PackagePlatform& platform, std::wstring_view value,
                                  std::wstring_view resourceFile, std::wstring_view packageName, bool asFile);

}  // namespace packages
}  // namespace shellkit
