// Test-only stand-ins for the package manager and the packaging factory, which Wine lacks: a
// scripted list of packages, and a manifest reader that takes the display name, logo and
// applications straight from the manifest file the test wrote. Manifests are opened, and
// resources resolved, through the same seam as in the shipped library.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "PackagePlatform.h"

namespace shellkit {
namespace packages {
namespace standin {

struct Package {
  std::wstring name;
  std::wstring familyName;
  std::wstring fullName;
  std::wstring path;  // as the installed location reports it
  bool isFramework = false;
  bool currentUserOnly = false;  // listed only when the current user's packages are asked for
  // Calls that fail for this package.
  bool frameworkFails = false;
  bool idFails = false;
  bool familyNameFails = false;
  bool locationFails = false;
  bool pathFails = false;
};

struct World {
  std::vector<Package> packages;
  HRESULT initializeResult = S_OK;
  HRESULT activateResult = S_OK;
  HRESULT factoryResult = S_OK;
  HRESULT createReaderResult = S_OK;
  HRESULT propertiesResult = S_OK;
  int moveNextFailsAt = -1;  // index of the package after which MoveNext fails
  // SHLoadIndirectString's answers by source; a source not listed fails.
  std::map<std::wstring, std::wstring> resolved;

  // What the library did.
  std::vector<std::wstring> indirectSources;
  std::vector<std::wstring> manifestsOpened;
  std::vector<std::wstring> findCalls;  // "all", "user:<sid>", "family:<sid>:<name>"
  int initializations = 0;  // successful ones
  int uninitializations = 0;
  int applicationLookups = 0;
};

// The platform over the given world (one at a time); manifests are real files.
const PackagePlatform& platformFor(World& world);

// Writes `text` (UTF-8) as the AppxManifest.xml of a package folder; false when it cannot.
bool writeManifest(const std::wstring& folder, const std::string& text);

// Stand-in objects still alive (every one the library got must have been released).
long liveObjects();

}  // namespace standin
}  // namespace packages
}  // namespace shellkit
