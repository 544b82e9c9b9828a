// The package manager's and the packaging API's interfaces the catalogue calls, declared here
// because the mingw-w64 headers lack them (its windows.storage.h does not compile as C++).
// IIDs and method order follow the Windows SDK; each interface is declared up to the last
// method called, which is all a vtable call needs, except where test stand-ins implement one
// (they then need every slot the system object has up to there).
#pragma once

#include <inspectable.h>
#include <objidl.h>
#include <windows.h>
#include <winstring.h>

namespace shellkit {
namespace packages {

struct IPackage;
struct IIteratorOfPackage;
struct IAppxManifestReader;
struct IAppxManifestProperties;
struct IAppxManifestApplicationsEnumerator;

// Windows.Foundation.Collections.IIterable<Windows.ApplicationModel.Package>
struct IIterableOfPackage : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE First(IIteratorOfPackage** first) = 0;
};

// Windows.Foundation.Collections.IIterator<Windows.ApplicationModel.Package>
struct IIteratorOfPackage : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Current(IPackage** current) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_HasCurrent(boolean* hasCurrent) = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveNext(boolean* hasCurrent) = 0;
};

// Windows.Management.Deployment.IPackageManager
struct IPackageManager : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE AddPackageAsync(IInspectable*, IInspectable*, INT32, IInspectable**) = 0;
  virtual HRESULT STDMETHODCALLTYPE UpdatePackageAsync(IInspectable*, IInspectable*, INT32, IInspectable**) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemovePackageAsync(HSTRING, IInspectable**) = 0;
  virtual HRESULT STDMETHODCALLTYPE StagePackageAsync(IInspectable*, IInspectable*, IInspectable**) = 0;
  virtual HRESULT STDMETHODCALLTYPE RegisterPackageAsync(IInspectable*, IInspectable*, INT32, IInspectable**) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindPackages(IIterableOfPackage** packages) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindPackagesByUserSecurityId(HSTRING userSecurityId,
                                                                 IIterableOfPackage** packages) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindPackagesByNamePublisher(HSTRING, HSTRING, IIterableOfPackage**) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindPackagesByUserSecurityIdNamePublisher(HSTRING, HSTRING, HSTRING,
                                                                              IIterableOfPackage**) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindUsers(HSTRING, IInspectable**) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPackageState(HSTRING, INT32) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindPackageByPackageFullName(HSTRING, IPackage**) = 0;
  virtual HRESULT STDMETHODCALLTYPE CleanupPackageForUserAsync(HSTRING, HSTRING, IInspectable**) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindPackagesByPackageFamilyName(HSTRING, IIterableOfPackage**) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindPackagesByUserSecurityIdPackageFamilyName(HSTRING userSecurityId,
                                                                                  HSTRING familyName,
                                                                                  IIterableOfPackage** packages) = 0;
};

// Windows.ApplicationModel.PackageVersion
struct PackageVersion {
  UINT16 major, minor, build, revision;
};

// Windows.ApplicationModel.IPackageId
struct IPackageId : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Name(HSTRING* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Version(PackageVersion* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Architecture(INT32* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ResourceId(HSTRING* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Publisher(HSTRING* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_PublisherId(HSTRING* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_FullName(HSTRING* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_FamilyName(HSTRING* value) = 0;
};

// Windows.ApplicationModel.IPackage; the installed location is a StorageFolder, read through
// its IStorageItem.
struct IPackage : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_Id(IPackageId** value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_InstalledLocation(IInspectable** folder) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_IsFramework(boolean* value) = 0;
};

// Windows.Storage.IStorageItem, up to the path.
struct IStorageItem : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE RenameAsyncOverloadDefaultOptions(HSTRING, IInspectable**) = 0;
  virtual HRESULT STDMETHODCALLTYPE RenameAsync(HSTRING, INT32, IInspectable**) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeleteAsyncOverloadDefaultOptions(IInspectable**) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeleteAsync(INT32, IInspectable**) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetBasicPropertiesAsync(IInspectable**) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Name(HSTRING* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Path(HSTRING* value) = 0;
};

struct IAppxManifestApplication : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetStringValue(LPCWSTR name, LPWSTR* value) = 0;
};

struct IAppxManifestApplicationsEnumerator : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetCurrent(IAppxManifestApplication** application) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetHasCurrent(BOOL* hasCurrent) = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveNext(BOOL* hasNext) = 0;
};

struct IAppxManifestProperties : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetBoolValue(LPCWSTR name, BOOL* value) = 0;
  // The text is the caller's, freed with CoTaskMemFree.
  virtual HRESULT STDMETHODCALLTYPE GetStringValue(LPCWSTR name, LPWSTR* value) = 0;
};

struct IAppxManifestReader : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetPackageId(IUnknown** packageId) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetProperties(IAppxManifestProperties** properties) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPackageDependencies(IUnknown** dependencies) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCapabilities(DWORD* capabilities) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetResources(IUnknown** resources) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDeviceCapabilities(IUnknown** capabilities) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPrerequisite(LPCWSTR name, UINT64* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetApplications(IAppxManifestApplicationsEnumerator** applications) = 0;
};

struct IAppxFactory : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreatePackageWriter(IStream*, void*, IUnknown**) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreatePackageReader(IStream*, IUnknown**) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateManifestReader(IStream* manifest, IAppxManifestReader** reader) = 0;
};

// {9A7D4B65-5E8F-4FC7-A2E5-7F6925CB8B53}
constexpr IID kIidPackageManager = {0x9a7d4b65, 0x5e8f, 0x4fc7, {0xa2, 0xe5, 0x7f, 0x69, 0x25, 0xcb, 0x8b, 0x53}};
// {69AD6AA7-0C49-5F27-A5EB-EF4D59467B6D}
constexpr IID kIidIterableOfPackage = {0x69ad6aa7, 0x0c49, 0x5f27, {0xa5, 0xeb, 0xef, 0x4d, 0x59, 0x46, 0x7b, 0x6d}};
// {0217F069-025C-5EE6-A87F-E782E3B623AE}
constexpr IID kIidIteratorOfPackage = {0x0217f069, 0x025c, 0x5ee6, {0xa8, 0x7f, 0xe7, 0x82, 0xe3, 0xb6, 0x23, 0xae}};
// {163C792F-BD75-413C-BF23-B1FE7B95D825}
constexpr IID kIidPackage = {0x163c792f, 0xbd75, 0x413c, {0xbf, 0x23, 0xb1, 0xfe, 0x7b, 0x95, 0xd8, 0x25}};
// {1ADB665E-37C7-4790-9980-DD7AE74E8BB2}
constexpr IID kIidPackageId = {0x1adb665e, 0x37c7, 0x4790, {0x99, 0x80, 0xdd, 0x7a, 0xe7, 0x4e, 0x8b, 0xb2}};
// {4207A996-CA2F-42F7-BDE8-8B10457A7F30}
constexpr IID kIidStorageItem = {0x4207a996, 0xca2f, 0x42f7, {0xbd, 0xe8, 0x8b, 0x10, 0x45, 0x7a, 0x7f, 0x30}};
// {5842A140-FF9F-4166-8F5C-62F5B7B0C781}
constexpr CLSID kClsidAppxFactory = {0x5842a140, 0xff9f, 0x4166, {0x8f, 0x5c, 0x62, 0xf5, 0xb7, 0xb0, 0xc7, 0x81}};
// {BEB94909-E451-438B-B5A7-D79E767B75D8}
constexpr IID kIidAppxFactory = {0xbeb94909, 0xe451, 0x438b, {0xb5, 0xa7, 0xd7, 0x9e, 0x76, 0x7b, 0x75, 0xd8}};
// {4E1BD148-55A0-4480-A3D1-15544710637C}
constexpr IID kIidAppxManifestReader = {0x4e1bd148, 0x55a0, 0x4480, {0xa3, 0xd1, 0x15, 0x54, 0x47, 0x10, 0x63, 0x7c}};
// {03FAF64D-F26F-4B2C-AAF7-8FE7789B8BCA}
constexpr IID kIidAppxManifestProperties = {
    0x03faf64d, 0xf26f, 0x4b2c, {0xaa, 0xf7, 0x8f, 0xe7, 0x78, 0x9b, 0x8b, 0xca}};
// {9EB8A55A-F04B-4D0D-808D-686185D4847A}
constexpr IID kIidAppxManifestApplicationsEnumerator = {
    0x9eb8a55a, 0xf04b, 0x4d0d, {0x80, 0x8d, 0x68, 0x61, 0x85, 0xd4, 0x84, 0x7a}};
// {5DA89BF4-3773-46BE-B650-7E744863B7E8}
constexpr IID kIidAppxManifestApplication = {
    0x5da89bf4, 0x3773, 0x46be, {0xb6, 0x50, 0x7e, 0x74, 0x48, 0x63, 0xb7, 0xe8}};

}  // namespace packages
}  // namespace shellkit
