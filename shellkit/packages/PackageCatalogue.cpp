#include "PackageCatalogue.h"

#include <shlwapi.h>

#include <clocale>
#include <string>
#include <string_view>

#include "ComRef.h"
#include "ManifestColorReader.h"
#include "ManifestValue.h"

namespace shellkit {
namespace packages {

namespace {

constexpr std::int32_t kUnreadableColor = 138;  // what a manifest whose colour cannot be read gives
constexpr LCID kFrench = 1036;

// Holds one HSTRING the callee handed over.
class ScopedHString {
 public:
  ScopedHString() = default;
  ~ScopedHString() { WindowsDeleteString(value_); }
  ScopedHString(const ScopedHString&) = delete;
  ScopedHString& operator=(const ScopedHString&) = delete;
  HSTRING* receive() { return &value_; }
  std::wstring text() const {
    UINT32 length = 0;
    const wchar_t* raw = WindowsGetStringRawBuffer(value_, &length);
    return std::wstring(raw, length);
  }

 private:
  HSTRING value_ = nullptr;
};

// A text the callee allocated with CoTaskMemAlloc.
class TaskText {
 public:
  TaskText() = default;
  ~TaskText() { CoTaskMemFree(value_); }
  TaskText(const TaskText&) = delete;
  TaskText& operator=(const TaskText&) = delete;
  LPWSTR* receive() { return &value_; }
  const wchar_t* get() const { return value_; }

 private:
  LPWSTR value_ = nullptr;
};

// Resource lookups are made in French: the thread locale for the system's resolver, the
// runtime library's for anything locale-bound on the way. Both are put back afterwards, since
// the library shares its process (and its C runtime) with the program that loaded it.
class FrenchLookups {
 public:
  FrenchLookups() : threadLocale_(GetThreadLocale()) {
    const char* current = std::setlocale(LC_ALL, nullptr);
    if (current) runtimeLocale_ = current;
    SetThreadLocale(kFrench);
    std::setlocale(LC_ALL, "French");
  }
  ~FrenchLookups() {
    SetThreadLocale(threadLocale_);
    if (!runtimeLocale_.empty()) std::setlocale(LC_ALL, runtimeLocale_.c_str());
  }
  FrenchLookups(const FrenchLookups&) = delete;
  FrenchLookups& operator=(const FrenchLookups&) = delete;

 private:
  LCID threadLocale_;
  std::string runtimeLocale_;
};

struct SystemPackageColor {
  const wchar_t* familyName;
  std::int32_t color;
};

// System packages whose manifests declare no application, and so no tile colour.
constexpr SystemPackageColor kSystemPackageColors[] = {
    {L"WinStore_cw5n1h2txyewy", 0x008A00},
    {L"windows.immersivecontrolpanel_cw5n1h2txyewy", 0x008A00},
    {L"BrowserChoice_cw5n1h2txyewy", 0x8A8A8A},
};

std::int32_t systemPackageColor(const std::wstring& familyName) {
  for (const SystemPackageColor& entry : kSystemPackageColors) {
    if (familyName == entry.familyName) return entry.color;
  }
  return kNoColor;
}

bool recordFor(IPackage* package, std::int32_t flags, PackageRecord* record) {
  boolean isFramework = false;
  HRESULT frameworkResult = package->get_IsFramework(&isFramework);
  if ((flags & Quarvo::kPackageIncludeFrameworks) == 0 && (FAILED(frameworkResult) || isFramework)) return false;
  record->isFramework = SUCCEEDED(frameworkResult) && isFramework;

  ComRef<IPackageId> id;
  if (FAILED(package->get_Id(id.receive())) || !id) return false;
  ScopedHString name, familyName, fullName;
  if (FAILED(id->get_Name(name.receive())) || FAILED(id->get_FamilyName(familyName.receive())) ||
      FAILED(id->get_FullName(fullName.receive()))) {
    return false;
  }
  ComRef<IInspectable> folder;
  if (FAILED(package->get_InstalledLocation(folder.receive())) || !folder) return false;
  ComRef<IStorageItem> item;
  if (FAILED(folder->QueryInterface(kIidStorageItem, item.receiveVoid())) || !item) return false;
  ScopedHString path;
  if (FAILED(item->get_Path(path.receive()))) return false;

  record->name = name.text();
  record->familyName = familyName.text();
  record->fullName = fullName.text();
  record->installPath = path.text();
  if (record->installPath.empty() || record->installPath.back() != L'\\') record->installPath += L'\\';
  return true;
}

// Display name, logo and, for an application package declaring no application, a system
// package's colour. The outcome is GetProperties'.
HRESULT readProperties(const PackagePlatform& platform, IAppxManifestReader* reader, PackageRecord& record) {
  FrenchLookups french;
  ComRef<IAppxManifestProperties> properties;
  HRESULT result = reader->GetProperties(properties.receive());
  if (SUCCEEDED(result) && properties) {
    std::wstring resourceFile = record.installPath + L"resources.pri";
    TaskText displayName;
    if (SUCCEEDED(properties->GetStringValue(L"DisplayName", displayName.receive())) && displayName.get()) {
      record.displayName = resolveManifestValue(platform, displayName.get(), resourceFile, record.name, false);
    }
    TaskText logo;
    if (SUCCEEDED(properties->GetStringValue(L"Logo", logo.receive())) && logo.get()) {
      std::wstring resolved = resolveManifestValue(platform, logo.get(), resourceFile, record.name, true);
      // An unresolved logo stays empty rather than becoming the install folder.
      record.logoPath = !resolved.empty() && PathIsRelativeW(resolved.c_str()) ? record.installPath + resolved : resolved;
    }
  }
  if (!record.isFramework) {
    ComRef<IAppxManifestApplicationsEnumerator> applications;
    ComRef<IAppxManifestApplication> first;
    if (SUCCEEDED(reader->GetApplications(applications.receive())) && applications &&
        FAILED(applications->GetCurrent(first.receive()))) {
      std::int32_t color = systemPackageColor(record.familyName);
      if (color != kNoColor) record.backgroundColor = color;
    }
  }
  return result;
}

}  // namespace

bool packageIsAvailable(const PackagePlatform& platform, const wchar_t* familyName) {
  RuntimeScope runtime(platform);
  if (!runtime.ok() || familyName == nullptr) return false;
  ComRef<IPackageManager> manager;
  if (FAILED(platform.activatePackageManager(manager.receive())) || !manager) return false;
  HSTRING_HEADER header;
  HSTRING family = nullptr;
  if (FAILED(WindowsCreateStringReference(familyName, static_cast<UINT32>(wcslen(familyName)), &header, &family))) {
    return false;
  }
  ComRef<IIterableOfPackage> packages;
  ComRef<IIteratorOfPackage> first;
  boolean hasCurrent = false;
  if (FAILED(manager->FindPackagesByUserSecurityIdPackageFamilyName(nullptr, family, packages.receive())) ||
      !packages || FAILED(packages->First(first.receive())) || !first ||
      FAILED(first->get_HasCurrent(&hasCurrent))) {
    return false;
  }
  return hasCurrent;
}

std::vector<PackageRecord> collectPackages(const PackagePlatform& platform, std::int32_t flags) {
  std::vector<PackageRecord> records;
  RuntimeScope runtime(platform);
  if (!runtime.ok()) return records;
  ComRef<IPackageManager> manager;
  if (FAILED(platform.activatePackageManager(manager.receive())) || !manager) return records;
  ComRef<IIterableOfPackage> packages;
  HRESULT found = (flags & Quarvo::kPackageCurrentUserOnly) != 0
                      ? manager->FindPackagesByUserSecurityId(nullptr, packages.receive())
                      : manager->FindPackages(packages.receive());
  ComRef<IIteratorOfPackage> cursor;
  if (FAILED(found) || !packages || FAILED(packages->First(cursor.receive())) || !cursor) return records;
  boolean hasCurrent = false;
  if (FAILED(cursor->get_HasCurrent(&hasCurrent))) return records;
  while (hasCurrent) {
    ComRef<IPackage> package;
    PackageRecord record;
    if (SUCCEEDED(cursor->get_Current(package.receive())) && package && recordFor(package.get(), flags, &record)) {
      records.push_back(std::move(record));
    }
    if (FAILED(cursor->MoveNext(&hasCurrent))) break;
  }
  return records;
}

void readManifest(const PackagePlatform& platform, PackageRecord& record) {
  if (record.manifestLoaded) return;
  record.manifestLoaded = true;
  if (record.installPath.size() >= MAX_PATH) return;
  wchar_t path[MAX_PATH];
  wcscpy(path, record.installPath.c_str());
  if (!PathAppendW(path, L"AppxManifest.xml")) return;

  RuntimeScope runtime(platform);
  ComRef<IStream> stream;
  if (FAILED(platform.openManifest(path, stream.receive())) || !stream) return;
  ComRef<IAppxFactory> factory;
  HRESULT outcome = platform.createAppxFactory(factory.receive());
  ComRef<IAppxManifestReader> reader;
  if (SUCCEEDED(outcome) && factory && SUCCEEDED(factory->CreateManifestReader(stream.get(), reader.receive())) &&
      reader) {
    outcome = readProperties(platform, reader.get(), record);
  }
  if (FAILED(outcome) || record.backgroundColor != kNoColor) return;
  LARGE_INTEGER start{};
  record.backgroundColor = SUCCEEDED(stream->Seek(start, STREAM_SEEK_SET, nullptr))
                               ? readManifestBackgroundColor(stream.get(), record.backgroundColor)
                               : kUnreadableColor;
}

bool findAllPackages(const PackagePlatform& platform, std::int32_t flags, Quarvo::PackageCallback callback,
                     void* context) {
  std::vector<PackageRecord> records = collectPackages(platform, flags);
  for (PackageRecord& record : records) {
    readManifest(platform, record);
    auto text = [](const std::wstring& value) { return value.empty() ? nullptr : value.c_str(); };
    Quarvo::PackageInfo info{text(record.displayName), text(record.familyName), text(record.logoPath),
                             record.backgroundColor};
    if (callback == nullptr || !callback(&info, context)) break;
  }
  return !records.empty();
}

}  // namespace packages
}  // namespace shellkit
