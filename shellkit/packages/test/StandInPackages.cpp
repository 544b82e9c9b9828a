#include "StandInPackages.h"

#include <shlwapi.h>

#include <atomic>
#include <string_view>

namespace shellkit {
namespace packages {
namespace standin {

namespace {

// {AF86E2E0-B12D-4C6A-9C5A-D7AA65101E90}
constexpr IID kIidInspectable = {0xaf86e2e0, 0xb12d, 0x4c6a, {0x9c, 0x5a, 0xd7, 0xaa, 0x65, 0x10, 0x1e, 0x90}};
constexpr HRESULT kOutOfBounds = static_cast<HRESULT>(0x8000000B);  // E_BOUNDS

std::atomic<long> live{0};
World* current = nullptr;

// Reference counting and QueryInterface for one interface (and IUnknown, IInspectable).
template <class Interface>
class Object : public Interface {
 public:
  explicit Object(const IID& iid) : iid_(iid) { ++live; }
  virtual ~Object() { --live; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (IsEqualIID(riid, iid_) || IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIidInspectable)) {
      this->AddRef();
      *out = static_cast<Interface*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    long left = --references_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 private:
  IID iid_;
  std::atomic<long> references_{1};
};

template <class Interface>
class Inspectable : public Object<Interface> {
 public:
  using Object<Interface>::Object;
  HRESULT STDMETHODCALLTYPE GetIids(ULONG*, IID**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel*) override { return E_NOTIMPL; }
};

HRESULT newString(const std::wstring& text, HSTRING* out) {
  return WindowsCreateString(text.c_str(), static_cast<UINT32>(text.size()), out);
}

std::wstring textOf(HSTRING value) {
  UINT32 length = 0;
  const wchar_t* raw = WindowsGetStringRawBuffer(value, &length);
  return std::wstring(raw, length);
}

class Folder : public Inspectable<IStorageItem> {
 public:
  explicit Folder(const Package& package) : Inspectable(kIidStorageItem), package_(package) {}
  HRESULT STDMETHODCALLTYPE RenameAsyncOverloadDefaultOptions(HSTRING, IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RenameAsync(HSTRING, INT32, IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteAsyncOverloadDefaultOptions(IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteAsync(INT32, IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBasicPropertiesAsync(IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Name(HSTRING*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Path(HSTRING* value) override {
    return package_.pathFails ? E_FAIL : newString(package_.path, value);
  }

 private:
  Package package_;
};

class Id : public Inspectable<IPackageId> {
 public:
  explicit Id(const Package& package) : Inspectable(kIidPackageId), package_(package) {}
  HRESULT STDMETHODCALLTYPE get_Name(HSTRING* value) override { return newString(package_.name, value); }
  HRESULT STDMETHODCALLTYPE get_Version(PackageVersion*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Architecture(INT32*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_ResourceId(HSTRING*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Publisher(HSTRING*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_PublisherId(HSTRING*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_FullName(HSTRING* value) override { return newString(package_.fullName, value); }
  HRESULT STDMETHODCALLTYPE get_FamilyName(HSTRING* value) override {
    return package_.familyNameFails ? E_FAIL : newString(package_.familyName, value);
  }

 private:
  Package package_;
};

class PackageObject : public Inspectable<IPackage> {
 public:
  explicit PackageObject(const Package& package) : Inspectable(kIidPackage), package_(package) {}
  HRESULT STDMETHODCALLTYPE get_Id(IPackageId** value) override {
    if (package_.idFails) return E_FAIL;
    *value = new Id(package_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_InstalledLocation(IInspectable** folder) override {
    if (package_.locationFails) return E_FAIL;
    *folder = new Folder(package_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_IsFramework(boolean* value) override {
    if (package_.frameworkFails) return E_FAIL;
    *value = package_.isFramework;
    return S_OK;
  }

 private:
  Package package_;
};

class Iterator : public Inspectable<IIteratorOfPackage> {
 public:
  explicit Iterator(std::vector<Package> packages) : Inspectable(kIidIteratorOfPackage), packages_(std::move(packages)) {}
  HRESULT STDMETHODCALLTYPE get_Current(IPackage** value) override {
    if (at_ >= packages_.size()) return kOutOfBounds;
    *value = new PackageObject(packages_[at_]);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_HasCurrent(boolean* value) override {
    *value = at_ < packages_.size();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE MoveNext(boolean* value) override {
    if (current && current->moveNextFailsAt == static_cast<int>(at_)) return E_FAIL;
    ++at_;
    return get_HasCurrent(value);
  }

 private:
  std::vector<Package> packages_;
  std::size_t at_ = 0;
};

class Iterable : public Inspectable<IIterableOfPackage> {
 public:
  explicit Iterable(std::vector<Package> packages) : Inspectable(kIidIterableOfPackage), packages_(std::move(packages)) {}
  HRESULT STDMETHODCALLTYPE First(IIteratorOfPackage** first) override {
    *first = new Iterator(packages_);
    return S_OK;
  }

 private:
  std::vector<Package> packages_;
};

class Manager : public Inspectable<IPackageManager> {
 public:
  Manager() : Inspectable(kIidPackageManager) {}
  HRESULT STDMETHODCALLTYPE AddPackageAsync(IInspectable*, IInspectable*, INT32, IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UpdatePackageAsync(IInspectable*, IInspectable*, INT32, IInspectable**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RemovePackageAsync(HSTRING, IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE StagePackageAsync(IInspectable*, IInspectable*, IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RegisterPackageAsync(IInspectable*, IInspectable*, INT32, IInspectable**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindPackages(IIterableOfPackage** packages) override {
    current->findCalls.push_back(L"all");
    return listed(false, nullptr, packages);
  }
  HRESULT STDMETHODCALLTYPE FindPackagesByUserSecurityId(HSTRING sid, IIterableOfPackage** packages) override {
    current->findCalls.push_back(L"user:" + textOf(sid));
    return listed(true, nullptr, packages);
  }
  HRESULT STDMETHODCALLTYPE FindPackagesByNamePublisher(HSTRING, HSTRING, IIterableOfPackage**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindPackagesByUserSecurityIdNamePublisher(HSTRING, HSTRING, HSTRING,
                                                                      IIterableOfPackage**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindUsers(HSTRING, IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetPackageState(HSTRING, INT32) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindPackageByPackageFullName(HSTRING, IPackage**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CleanupPackageForUserAsync(HSTRING, HSTRING, IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindPackagesByPackageFamilyName(HSTRING, IIterableOfPackage**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindPackagesByUserSecurityIdPackageFamilyName(HSTRING sid, HSTRING family,
                                                                          IIterableOfPackage** packages) override {
    std::wstring familyName = textOf(family);
    current->findCalls.push_back(L"family:" + textOf(sid) + L":" + familyName);
    return listed(true, &familyName, packages);
  }

 private:
  static HRESULT listed(bool currentUser, const std::wstring* family, IIterableOfPackage** packages) {
    std::vector<Package> chosen;
    for (const Package& package : current->packages) {
      if (package.currentUserOnly && !currentUser) continue;
      if (family && package.familyName != *family) continue;
      chosen.push_back(package);
    }
    *packages = new Iterable(std::move(chosen));
    return S_OK;
  }
};

// The manifest's text between <tag> and </tag>, if any.
std::optional<std::wstring> element(const std::wstring& text, const std::wstring& tag) {
  std::size_t open = text.find(L"<" + tag + L">");
  if (open == std::wstring::npos) return std::nullopt;
  std::size_t start = open + tag.size() + 2;
  std::size_t end = text.find(L"</" + tag + L">", start);
  if (end == std::wstring::npos) return std::nullopt;
  return text.substr(start, end - start);
}

LPWSTR taskCopy(const std::wstring& text) {
  auto* out = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
  if (out) wcscpy(out, text.c_str());
  return out;
}

class Properties : public Object<IAppxManifestProperties> {
 public:
  explicit Properties(std::wstring manifest) : Object(kIidAppxManifestProperties), manifest_(std::move(manifest)) {}
  HRESULT STDMETHODCALLTYPE GetBoolValue(LPCWSTR, BOOL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetStringValue(LPCWSTR name, LPWSTR* value) override {
    *value = nullptr;
    std::optional<std::wstring> text = element(manifest_, name);
    if (!text) return S_OK;  // as the system reader answers for an absent property
    *value = taskCopy(*text);
    return *value ? S_OK : E_OUTOFMEMORY;
  }

 private:
  std::wstring manifest_;
};

class Application : public Object<IAppxManifestApplication> {
 public:
  Application() : Object(kIidAppxManifestApplication) {}
  HRESULT STDMETHODCALLTYPE GetStringValue(LPCWSTR, LPWSTR* value) override {
    *value = nullptr;
    return E_NOTIMPL;
  }
};

class Applications : public Object<IAppxManifestApplicationsEnumerator> {
 public:
  explicit Applications(bool any) : Object(kIidAppxManifestApplicationsEnumerator), any_(any) {}
  HRESULT STDMETHODCALLTYPE GetCurrent(IAppxManifestApplication** application) override {
    *application = nullptr;
    if (!any_) return HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS);
    *application = new Application();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetHasCurrent(BOOL* value) override {
    *value = any_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE MoveNext(BOOL* value) override {
    *value = FALSE;
    return S_OK;
  }

 private:
  bool any_;
};

class Reader : public Object<IAppxManifestReader> {
 public:
  explicit Reader(std::wstring manifest) : Object(kIidAppxManifestReader), manifest_(std::move(manifest)) {}
  HRESULT STDMETHODCALLTYPE GetPackageId(IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetProperties(IAppxManifestProperties** properties) override {
    if (FAILED(current->propertiesResult)) return current->propertiesResult;
    *properties = new Properties(manifest_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPackageDependencies(IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetResources(IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDeviceCapabilities(IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPrerequisite(LPCWSTR, UINT64*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetApplications(IAppxManifestApplicationsEnumerator** applications) override {
    ++current->applicationLookups;
    *applications = new Applications(manifest_.find(L"<Application ") != std::wstring::npos);
    return S_OK;
  }

 private:
  std::wstring manifest_;
};

// The whole stream as text (the test's manifests are UTF-8).
std::wstring readAll(IStream* stream) {
  std::string bytes;
  char chunk[4096];
  ULONG got = 0;
  while (SUCCEEDED(stream->Read(chunk, sizeof chunk, &got)) && got > 0) bytes.append(chunk, got);
  int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
  return text;
}

class Factory : public Object<IAppxFactory> {
 public:
  Factory() : Object(kIidAppxFactory) {}
  HRESULT STDMETHODCALLTYPE CreatePackageWriter(IStream*, void*, IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreatePackageReader(IStream*, IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CreateManifestReader(IStream* manifest, IAppxManifestReader** reader) override {
    *reader = nullptr;
    if (FAILED(current->createReaderResult)) return current->createReaderResult;
    *reader = new Reader(readAll(manifest));
    return S_OK;
  }
};

HRESULT initialize() {
  if (SUCCEEDED(current->initializeResult)) ++current->initializations;
  return current->initializeResult;
}

void uninitialize() { ++current->uninitializations; }

HRESULT activatePackageManager(IPackageManager** manager) {
  *manager = nullptr;
  if (FAILED(current->activateResult)) return current->activateResult;
  *manager = new Manager();
  return S_OK;
}

HRESULT openManifest(const wchar_t* path, IStream** stream) {
  current->manifestsOpened.emplace_back(path);
  return SHCreateStreamOnFileW(path, STGM_READ, stream);
}

HRESULT createAppxFactory(IAppxFactory** factory) {
  *factory = nullptr;
  if (FAILED(current->factoryResult)) return current->factoryResult;
  *factory = new Factory();
  return S_OK;
}

HRESULT loadIndirectString(const wchar_t* source, wchar_t* out, UINT capacity, void**) {
  current->indirectSources.emplace_back(source);
  auto found = current->resolved.find(source);
  if (found == current->resolved.end()) return E_FAIL;
  lstrcpynW(out, found->second.c_str(), static_cast<int>(capacity));
  return S_OK;
}

}  // namespace

const PackagePlatform& platformFor(World& world) {
  current = &world;
  static const PackagePlatform platform = {&initialize,   &uninitialize,      &activatePackageManager,
                                           &openManifest, &createAppxFactory, &loadIndirectString};
  return platform;
}

long liveObjects() { return live.load(); }

bool writeManifest(const std::wstring& folder, const std::string& text) {
  std::wstring path = folder + L"\\AppxManifest.xml";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
  CloseHandle(file);
  return ok;
}

}  // namespace standin
}  // namespace packages
}  // namespace shellkit
