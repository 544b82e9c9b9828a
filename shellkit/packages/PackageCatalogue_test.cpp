// The catalogue over stand-in packages whose manifests the tests write to disk: enumeration and
// its flags, lazy manifests, resolved names and logos, tile colours, and that every object the
// library was handed is released. The real ShellKit.dll is loaded too: under Wine it has no
// package manager, and must say so quietly.
#include "PackageCatalogue.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "ManifestValue.h"
#include "test/StandInPackages.h"

namespace {

using namespace shellkit::packages;

struct Seen {
  std::wstring displayName, familyName, logoPath;  // "(null)" for a null pointer
  std::int32_t color;
};

std::wstring orNull(const wchar_t* text) { return text ? std::wstring(text) : L"(null)"; }

struct Listing {
  std::vector<Seen> seen;
  std::size_t stopAfter = 1000;
};

bool __stdcall collect(const Quarvo::PackageInfo* info, void* context) {
  auto* listing = static_cast<Listing*>(context);
  listing->seen.push_back({orNull(info->displayName), orNull(info->familyName), orNull(info->logoPath),
                           info->backgroundColor});
  return listing->seen.size() < listing->stopAfter;
}

std::string manifest(const std::string& properties, const std::string& applications) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<Package xmlns=\"http://schemas.microsoft.com/appx/manifest/foundation/windows10\"\n"
         "         xmlns:uap=\"http://schemas.microsoft.com/appx/manifest/uap/windows10\">\n"
         "  <Properties>" + properties + "</Properties>\n" + applications + "</Package>\n";
}

std::string application(const std::string& visualElements) {
  return "  <Applications><Application Id=\"App\">" + visualElements + "</Application></Applications>\n";
}

class PackageCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp) + L"catalogue-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount()) + L"\\";
    CreateDirectoryW(root_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const std::wstring& file : files_) DeleteFileW(file.c_str());
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveDirectoryW(it->c_str());
    RemoveDirectoryW(root_.c_str());
    EXPECT_EQ(standin::liveObjects(), 0) << "a package-manager or manifest object was not released";
    EXPECT_EQ(world.initializations, world.uninitializations);
  }

  // A package whose folder holds the given manifest (none when empty); its path as the
  // installed location reports it, without a trailing backslash.
  standin::Package& add(const std::wstring& name, const std::string& manifestText) {
    std::wstring folder = root_ + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    folders_.push_back(folder);
    if (!manifestText.empty()) {
      EXPECT_TRUE(standin::writeManifest(folder, manifestText));
      files_.push_back(folder + L"\\AppxManifest.xml");
    }
    standin::Package package;
    package.name = name;
    package.familyName = name + L"_8wekyb3d8bbwe";
    package.fullName = name + L"_1.0.0.0_x64__8wekyb3d8bbwe";
    package.path = folder;
    world.packages.push_back(package);
    return world.packages.back();
  }

  std::wstring folderOf(const std::wstring& name) const { return root_ + name + L"\\"; }

  Listing list(std::int32_t flags, std::size_t stopAfter = 1000, bool* result = nullptr) {
    Listing listing;
    listing.stopAfter = stopAfter;
    bool found = findAllPackages(standin::platformFor(world), flags, &collect, &listing);
    if (result) *result = found;
    return listing;
  }

  standin::World world;

 private:
  std::wstring root_;
  std::vector<std::wstring> folders_;
  std::vector<std::wstring> files_;
};

TEST_F(PackageCatalogueTest, ResolvesNamesAndLogosThroughThePackageResources) {
  add(L"Calc", manifest("<DisplayName>ms-resource:AppName</DisplayName><Logo>Assets\\Logo.png</Logo>",
                        application("<uap:VisualElements BackgroundColor=\"#0078D7\"><uap:DefaultTile/>"
                                    "</uap:VisualElements>")));
  std::wstring pri = folderOf(L"Calc") + L"resources.pri";
  std::wstring nameSource = L"@{" + pri + L"?ms-resource://Calc/resources/AppName}";
  std::wstring logoSource = L"@{" + pri + L"?ms-resource://Calc/Files/Assets/Logo.png}";
  world.resolved[nameSource] = L"Calculatrice";
  world.resolved[logoSource] = L"Assets\\Logo.scale-100.png";

  Listing listing = list(0);

  ASSERT_EQ(listing.seen.size(), 1u);
  EXPECT_EQ(listing.seen[0].displayName, L"Calculatrice");
  EXPECT_EQ(listing.seen[0].familyName, L"Calc_8wekyb3d8bbwe");
  EXPECT_EQ(listing.seen[0].logoPath, folderOf(L"Calc") + L"Assets\\Logo.scale-100.png");
  EXPECT_EQ(listing.seen[0].color, 0xD77800);
  EXPECT_EQ(world.indirectSources, (std::vector<std::wstring>{nameSource, logoSource}));
}

TEST_F(PackageCatalogueTest, PlainNamesPassAbsoluteLogosStayAndFailedResolutionsAreNull) {
  add(L"Plain", manifest("<DisplayName>Weather</DisplayName><Logo>C:\\Logos\\w.png</Logo>",
                         application("<VisualElements BackgroundColor=\"red\"><DefaultTile/></VisualElements>")));
  add(L"Unresolved", manifest("<DisplayName>ms-resource:///Resources/Title</DisplayName><Logo>l.png</Logo>",
                              application("<VisualElements BackgroundColor=\"transparent\"></VisualElements>")));
  std::wstring pri = folderOf(L"Plain") + L"resources.pri";
  world.resolved[L"@{" + pri + L"?ms-resource://Plain/Files/C:/Logos/w.png}"] = L"C:\\Logos\\w.scale-200.png";

  Listing listing = list(0);

  ASSERT_EQ(listing.seen.size(), 2u);
  EXPECT_EQ(listing.seen[0].displayName, L"Weather");
  EXPECT_EQ(listing.seen[0].logoPath, L"C:\\Logos\\w.scale-200.png");
  EXPECT_EQ(listing.seen[0].color, 0x0000FF);
  EXPECT_EQ(listing.seen[1].displayName, L"(null)");
  EXPECT_EQ(listing.seen[1].logoPath, L"(null)") << "an unresolved logo is not the install folder";
  EXPECT_EQ(listing.seen[1].color, -1);
  EXPECT_EQ(world.indirectSources[1],
            L"@{" + folderOf(L"Unresolved") + L"resources.pri?ms-resource://Unresolved/Resources/Title}");
}

TEST_F(PackageCatalogueTest, ColoursFromTheManifestOrTheSystemTable) {
  add(L"SelfClosing", manifest("", application("<VisualElements BackgroundColor=\"#112233\"/>")));
  add(L"NoAttribute", manifest("", application("<VisualElements DisplayName=\"x\"><DefaultTile/></VisualElements>")));
  standin::Package& store = add(L"Store", manifest("", ""));
  store.familyName = L"WinStore_cw5n1h2txyewy";
  standin::Package& lowerCase = add(L"store2", manifest("", ""));
  lowerCase.familyName = L"winstore_cw5n1h2txyewy";
  standin::Package& choice = add(L"Choice", manifest("", ""));
  choice.familyName = L"BrowserChoice_cw5n1h2txyewy";
  add(L"Missing", "");

  Listing listing = list(0);

  ASSERT_EQ(listing.seen.size(), 6u);
  EXPECT_EQ(listing.seen[0].color, 138) << "a self-closing VisualElements is never found";
  EXPECT_EQ(listing.seen[1].color, -1);
  EXPECT_EQ(listing.seen[2].color, 0x008A00);
  EXPECT_EQ(listing.seen[3].color, 138) << "the table is exact about case; the XML has no Applications";
  EXPECT_EQ(listing.seen[4].color, 0x8A8A8A);
  EXPECT_EQ(listing.seen[5].color, -1) << "no manifest file: nothing read";
  EXPECT_EQ(listing.seen[5].displayName, L"(null)");
}

TEST_F(PackageCatalogueTest, FailingManifestSteps) {
  add(L"App", manifest("<DisplayName>Name</DisplayName>",
                       application("<VisualElements BackgroundColor=\"#0078D7\"><DefaultTile/></VisualElements>")));

  world.propertiesResult = E_FAIL;
  Listing noProperties = list(0);
  world.propertiesResult = S_OK;
  world.createReaderResult = E_FAIL;
  Listing noReader = list(0);
  world.createReaderResult = S_OK;
  world.factoryResult = REGDB_E_CLASSNOTREG;
  Listing noFactory = list(0);

  ASSERT_EQ(noProperties.seen.size(), 1u);
  EXPECT_EQ(noProperties.seen[0].color, -1) << "a failed property reading leaves the colour unread";
  EXPECT_EQ(noReader.seen[0].displayName, L"(null)");
  EXPECT_EQ(noReader.seen[0].color, 0xD77800) << "the factory was made, so the colour is still read";
  EXPECT_EQ(noFactory.seen[0].color, -1);
}

TEST_F(PackageCatalogueTest, EnumerationFlagsAndSkippedPackages) {
  add(L"App", "");
  standin::Package& framework = add(L"Framework", manifest("", ""));
  framework.isFramework = true;
  add(L"Unsure", "").frameworkFails = true;
  add(L"NoId", "").idFails = true;
  add(L"NoFamily", "").familyNameFails = true;
  add(L"NoLocation", "").locationFails = true;
  add(L"NoPath", "").pathFails = true;
  add(L"Mine", "").currentUserOnly = true;

  Listing applications = list(0);
  Listing withFrameworks = list(Quarvo::kPackageIncludeFrameworks);
  Listing mine = list(Quarvo::kPackageCurrentUserOnly);

  ASSERT_EQ(applications.seen.size(), 1u);
  EXPECT_EQ(applications.seen[0].familyName, L"App_8wekyb3d8bbwe");
  ASSERT_EQ(withFrameworks.seen.size(), 3u);
  EXPECT_EQ(withFrameworks.seen[1].familyName, L"Framework_8wekyb3d8bbwe");
  EXPECT_EQ(withFrameworks.seen[2].familyName, L"Unsure_8wekyb3d8bbwe");
  EXPECT_EQ(world.applicationLookups, 0) << "frameworks are not asked for applications";
  ASSERT_EQ(mine.seen.size(), 2u);
  EXPECT_EQ(mine.seen[1].familyName, L"Mine_8wekyb3d8bbwe");
  EXPECT_EQ(world.findCalls, (std::vector<std::wstring>{L"all", L"all", L"user:"}));
}

TEST_F(PackageCatalogueTest, ManifestsAreReadOnlyForPackagesHandedOn) {
  add(L"First", manifest("", ""));
  add(L"Second", manifest("", ""));
  add(L"Third", manifest("", ""));

  bool result = false;
  Listing listing = list(0, 1, &result);

  EXPECT_TRUE(result) << "stopping early does not change the answer";
  EXPECT_EQ(listing.seen.size(), 1u);
  EXPECT_EQ(world.manifestsOpened, (std::vector<std::wstring>{folderOf(L"First") + L"AppxManifest.xml"}));
}

TEST_F(PackageCatalogueTest, AFailingMoveNextEndsTheListAndNothingFoundAnswersFalse) {
  add(L"One", "");
  add(L"Two", "");
  world.moveNextFailsAt = 0;
  EXPECT_EQ(list(0).seen.size(), 1u);

  world.activateResult = REGDB_E_CLASSNOTREG;
  bool result = true;
  EXPECT_TRUE(list(0, 1000, &result).seen.empty());
  EXPECT_FALSE(result);

  world.activateResult = S_OK;
  world.initializeResult = RPC_E_CHANGED_MODE;
  EXPECT_TRUE(list(0, 1000, &result).seen.empty());
  EXPECT_FALSE(result);
}

TEST_F(PackageCatalogueTest, OverlongInstallPathsAreNotRead) {
  standin::Package& deep = add(L"Deep", manifest("<DisplayName>Deep</DisplayName>", ""));
  deep.path = L"C:\\" + std::wstring(300, L'd');
  Listing listing = list(0);
  ASSERT_EQ(listing.seen.size(), 1u);
  EXPECT_EQ(listing.seen[0].displayName, L"(null)");
  EXPECT_TRUE(world.manifestsOpened.empty());
}

TEST_F(PackageCatalogueTest, LookupsLeaveTheThreadAndRuntimeLocalesAsTheyWere) {
  add(L"App", manifest("<DisplayName>x</DisplayName>", ""));
  LCID before = GetThreadLocale();
  std::string runtimeBefore = std::setlocale(LC_ALL, nullptr);
  list(0);
  EXPECT_EQ(GetThreadLocale(), before);
  EXPECT_EQ(std::setlocale(LC_ALL, nullptr), runtimeBefore);
}

TEST_F(PackageCatalogueTest, AvailabilityAsksForTheCurrentUsersFamily) {
  add(L"Here", "");
  const PackagePlatform& platform = standin::platformFor(world);

  EXPECT_TRUE(packageIsAvailable(platform, L"Here_8wekyb3d8bbwe"));
  EXPECT_FALSE(packageIsAvailable(platform, L"Gone_8wekyb3d8bbwe"));
  EXPECT_FALSE(packageIsAvailable(platform, nullptr));
  world.activateResult = REGDB_E_CLASSNOTREG;
  EXPECT_FALSE(packageIsAvailable(platform, L"Here_8wekyb3d8bbwe"));

  EXPECT_EQ(world.findCalls,
            (std::vector<std::wstring>{L"family::Here_8wekyb3d8bbwe", L"family::Gone_8wekyb3d8bbwe"}));
}

TEST(ManifestResourceKey, PrefixesAndFiles) {
  EXPECT_EQ(manifestResourceKey(L"ms-resource:///Res/Title", false), L"Res/Title");
  EXPECT_EQ(manifestResourceKey(L"ms-resource:/Res/Title", false), L"Res/Title");
  EXPECT_EQ(manifestResourceKey(L"ms-resource:Title", false), L"resources/Title");
  EXPECT_EQ(manifestResourceKey(L"MS-RESOURCE:Title", false), std::nullopt) << "the prefix is exact";
  EXPECT_EQ(manifestResourceKey(L"Weather", false), std::nullopt);
  EXPECT_EQ(manifestResourceKey(L"Assets\\Sub\\Logo.png", true), L"Files/Assets/Sub/Logo.png");
}

TEST(ShellKitPackageExports, WithoutAPackageManagerNothingIsListedOrAvailable) {
  HMODULE shellKit = LoadLibraryW(L"ShellKit.dll");
  ASSERT_NE(shellKit, nullptr);
  using FindAll = bool(__stdcall*)(std::int32_t, Quarvo::PackageCallback, void*);
  using IsAvailable = bool(__stdcall*)(const wchar_t*);
  auto findAll = reinterpret_cast<FindAll>(reinterpret_cast<void*>(GetProcAddress(shellKit, "PackageFindAll")));
  auto isAvailable =
      reinterpret_cast<IsAvailable>(reinterpret_cast<void*>(GetProcAddress(shellKit, "PackageIsAvailable")));
  ASSERT_NE(findAll, nullptr);
  ASSERT_NE(isAvailable, nullptr);

  Listing listing;
  EXPECT_FALSE(findAll(0, &collect, &listing));
  EXPECT_FALSE(findAll(Quarvo::kPackageCurrentUserOnly, &collect, &listing));
  EXPECT_TRUE(listing.seen.empty());
  EXPECT_FALSE(isAvailable(L"Microsoft.WindowsCalculator_8wekyb3d8bbwe"));
  FreeLibrary(shellKit);
}

}  // namespace
