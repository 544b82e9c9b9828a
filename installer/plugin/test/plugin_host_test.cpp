// The plug-in loaded and called as the installer does: by export name, with a stack of global
// memory nodes, a variable area of 25 texts and a single-threaded apartment. Wine's own
// filtering platform answers here (it refuses to open an engine), so the provider exports give
// its status; their logic is tested against a stand-in platform elsewhere.
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PluginHost.h"
#include "ExpectedDigests.h"
#include "test_platform.h"

namespace setup::testing {
namespace {

constexpr char16_t kInvalidArgument[] = u"-2147024809";  // E_INVALIDARG as "%d"

// The texts expected_digests.py hashes.
std::u16string patternText(std::size_t length) {
  std::u16string text;
  for (std::size_t i = 0; i < length; ++i) text.push_back(static_cast<char16_t>(0x21 + (i * 7) % 94));
  return text;
}

std::u16string expectedDigest(std::size_t length) {
  for (const ExpectedDigest& expected : kPatternDigests) {
    if (expected.length == length) return std::u16string(expected.hex, expected.hex + 40);
  }
  ADD_FAILURE() << "no reference digest for " << length << " characters";
  return {};
}

std::u16string temporaryFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, path);
  return std::u16string(reinterpret_cast<const char16_t*>(path), length);
}

struct ExportCase {
  const char* name;
  std::vector<std::u16string> arguments;  // in the order the export pops them
  bool pushesResult;
};

std::vector<ExportCase> everyExport() {
  const std::u16string link = temporaryFolder() + u"setupplugin host test.lnk";
  return {
      {"SHA1", {u"abc"}, false},
      {"KillProc", {u"nosuch.exe"}, false},
      {"BrowserRunning", {}, false},
      {"CreateShortCut", {link, u"C:\\windows\\notepad.exe", u"Quarvo.HostTest"}, false},
      {"UnlockProxies", {}, false},
      {"InstallProvider", {}, true},
      {"UninstallProvider", {}, true},
  };
}

class Apartment : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }
};

class PluginHost : public Apartment, public ::testing::WithParamInterface<int> {
 protected:
  LoadedPlugin plugin_;
};

TEST(PluginExports, AreExactlyTheSevenTheInstallerCallsByName) {
  LoadedPlugin plugin;
  EXPECT_EQ(plugin.exportedNames(), (std::vector<std::string>{"BrowserRunning", "CreateShortCut", "InstallProvider",
                                                               "KillProc", "SHA1", "UninstallProvider",
                                                               "UnlockProxies"}));
}

// Loading runs nothing of the plug-in's own: the platform library comes with the first call.
TEST(PluginExports, BindThePlatformAtTheFirstCallNotWhileLoading) {
  ASSERT_EQ(GetModuleHandleW(L"fwpuclnt.dll"), nullptr) << "run in a process of its own";
  LoadedPlugin plugin;
  EXPECT_EQ(GetModuleHandleW(L"fwpuclnt.dll"), nullptr);
  InstallerState state(1024);
  state.call(plugin.find("UninstallProvider"));
  EXPECT_NE(GetModuleHandleW(L"fwpuclnt.dll"), nullptr);
}

TEST_P(PluginHost, EachExportTakesExactlyItsArgumentsAndStaysInTheVariableArea) {
  for (const ExportCase& entry : everyExport()) {
    InstallerState state(GetParam());
    state.push(u"sentinel");
    for (auto argument = entry.arguments.rbegin(); argument != entry.arguments.rend(); ++argument) state.push(*argument);
    state.call(plugin_.find(entry.name));
    if (entry.pushesResult) {
      EXPECT_EQ(state.depth(), 2u) << entry.name;
      EXPECT_FALSE(state.pop().empty()) << entry.name;
    }
    EXPECT_EQ(state.pop(), u"sentinel") << entry.name;
    EXPECT_EQ(state.depth(), 0u) << entry.name;
    EXPECT_TRUE(state.fencesIntact()) << entry.name;
  }
}

TEST_P(PluginHost, EmptyOrAbsentStacksGiveNeutralResults) {
  for (bool absent : {false, true}) {
    for (const ExportCase& entry : everyExport()) {
      InstallerState state(GetParam());
      state.setVariable(10, u"unset");
      void* extra[16] = {};
      plugin_.find(entry.name)(nullptr, GetParam(), state.variables(), absent ? nullptr : state.stack(), extra);
      EXPECT_EQ(state.depth(), entry.pushesResult && !absent ? 1u : 0u) << entry.name;
      EXPECT_TRUE(state.fencesIntact()) << entry.name;
    }
  }
  InstallerState state(GetParam());
  state.setVariable(10, u"unset");
  state.call(plugin_.find("SHA1"));
  EXPECT_EQ(state.variable(10), u"");
  for (const char* missingArguments : {"KillProc", "CreateShortCut"}) {
    state.setVariable(10, u"unset");
    state.call(plugin_.find(missingArguments));
    EXPECT_EQ(state.variable(10), kInvalidArgument) << missingArguments;
  }
}

TEST_P(PluginHost, TextsFillingTheStringSizeAreReadWholeAndNoFurther) {
  const auto size = static_cast<std::size_t>(GetParam());
  InstallerState state(GetParam());
  state.push(patternText(size - 1));
  state.call(plugin_.find("SHA1"));
  EXPECT_EQ(state.variable(10), expectedDigest(size - 1));
  state.pushUnterminated(patternText(size));
  state.call(plugin_.find("SHA1"));
  EXPECT_EQ(state.variable(10), expectedDigest(size));
  EXPECT_EQ(state.depth(), 0u);
  EXPECT_TRUE(state.fencesIntact());
}

INSTANTIATE_TEST_SUITE_P(StringSizes, PluginHost, ::testing::Values(1024, 8192));

class PluginLifetime : public Apartment {};

TEST_F(PluginLifetime, HundredsOfCallsOnOneLoadLeaveNoHandleOpen) {
  LoadedPlugin plugin;
  auto callEach = [&] {
    InstallerState state(1024);
    state.push(patternText(55));
    state.call(plugin.find("SHA1"));
    EXPECT_EQ(state.variable(10), expectedDigest(55));
    state.call(plugin.find("BrowserRunning"));
    state.call(plugin.find("InstallProvider"));
    state.push(u"nosuch.exe");
    state.call(plugin.find("KillProc"));
  };
  callEach();  // first calls bind the platform and start the system's own services
  const std::size_t handles = CXX::testing::openHandleCount();
  for (int i = 0; i < 100; ++i) callEach();
  EXPECT_EQ(CXX::testing::openHandleCount(), handles);
}

// Each load binds the platform afresh at its first call. The platform library itself stays
// loaded once bound: releasing it as the plug-in unloads would mean FreeLibrary under the
// loader lock.
TEST_F(PluginLifetime, EachLoadBindsAfreshAtItsFirstCall) {
  std::u16string first;
  for (int i = 0; i < 20; ++i) {
    LoadedPlugin plugin;
    InstallerState state(1024);
    state.call(plugin.find("InstallProvider"));
    ASSERT_EQ(state.depth(), 1u);
    const std::u16string status = state.pop();
    if (i == 0) first = status;
    EXPECT_EQ(status, first) << "load " << i;
    EXPECT_NE(GetModuleHandleW(L"fwpuclnt.dll"), nullptr);
  }
}

}  // namespace
}  // namespace setup::testing
