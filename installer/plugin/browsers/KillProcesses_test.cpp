// KillProc through Wine's WMI and through a scripted walk standing in for it.
//
// Wine's WMI lists Win32_Process with "Caption" and "__PATH" but its class has no "Terminate"
// method (GetMethod answers WBEM_E_NOT_FOUND), so a real KillProc that finds its process
// reports that status and the process runs on.
#include "KillProcesses.h"

#include <windows.h>
#include <wbemidl.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "InstallerState.h"
#include "TestPrograms.h"
#include "WmiProcessCandidates.h"
#include "WmiTermination.h"

namespace {

using setup::ProcessCandidates;
using Quarvo::wmiStatus;
using setup::testing::InstallerState;

bool runsUnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// The installer's thread is in a single-threaded apartment when it calls the plug-in.
class KillProcTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }

  std::u16string killProc(const std::u16string& name) {
    InstallerState installer(1024, u'#');
    installer.push(name);
    setup::killProcesses(installer.call());
    EXPECT_TRUE(installer.stackEmpty());
    return installer.variable(10);
  }
};

TEST_F(KillProcTest, ANameNoProcessHasEndsNothing) { EXPECT_EQ(killProc(u"nosuch.exe"), u"0"); }

TEST_F(KillProcTest, ARunningProcessIsAskedToEndThroughWmi) {
  Quarvo::testing::ChildProgram child(Quarvo::testing::besideTestProgram(L"Midori.EXE"));
  ASSERT_TRUE(child.ready());
  const std::u16string result = killProc(u"mIDORI.exe");
  if (runsUnderWine()) {
    EXPECT_EQ(result, setup::decimalText(static_cast<int>(wmiStatus(WBEM_E_NOT_FOUND)))) << "no Terminate method";
    EXPECT_TRUE(child.running());
  } else {
    EXPECT_EQ(result, u"1");
    EXPECT_NE(child.exitCode(5000), STILL_ACTIVE);
  }
}

// One scripted process: its caption (none: no value) and what it answers to Terminate.
struct Scripted {
  std::optional<std::u16string> caption;
  bool acknowledges = true;
};

class ScriptedProcesses : public ProcessCandidates {
 public:
  static std::vector<Scripted> script;
  static HRESULT preparation;
  static int opened;
  static int prepared;
  static std::vector<std::size_t> asked;

  static void reset(std::vector<Scripted> processes) {
    script = std::move(processes);
    preparation = S_OK;
    opened = prepared = 0;
    asked.clear();
  }
  static HRESULT open(std::unique_ptr<ProcessCandidates>* candidates) {
    ++opened;
    *candidates = std::make_unique<ScriptedProcesses>();
    return S_OK;
  }
  static HRESULT refuse(std::unique_ptr<ProcessCandidates>*) { return wmiStatus(WBEM_E_ACCESS_DENIED); }

  bool next() override { return ++current_ < script.size(); }
  std::optional<std::u16string> caption() override { return script[current_].caption; }
  HRESULT prepareTermination() override {
    ++prepared;
    return preparation;
  }
  bool terminate() override {
    asked.push_back(current_);
    return script[current_].acknowledges;
  }

 private:
  std::size_t current_ = static_cast<std::size_t>(-1);
};

std::vector<Scripted> ScriptedProcesses::script;
HRESULT ScriptedProcesses::preparation = S_OK;
int ScriptedProcesses::opened = 0;
int ScriptedProcesses::prepared = 0;
std::vector<std::size_t> ScriptedProcesses::asked;

std::u16string killScripted(const std::u16string& name, setup::OpenProcessCandidates open = ScriptedProcesses::open) {
  InstallerState installer(1024, u'#');
  installer.push(name);
  setup::killProcesses(installer.call(), open);
  return installer.variable(10);
}

TEST(KillProcScriptedTest, EveryProcessOfThatExactNameIsAskedAndOnlyAcknowledgementsCount) {
  ScriptedProcesses::reset({{u"firefox.exe", true},
                            {u"FireFox.EXE", false},
                            {std::nullopt, true},
                            {u"firefox.exe.old", true},
                            {u"notepad.exe", true},
                            {u"FIREFOX.EXE", true}});
  EXPECT_EQ(killScripted(u"Firefox.exe"), u"2");
  EXPECT_EQ(ScriptedProcesses::asked, (std::vector<std::size_t>{0, 1, 5}));
  EXPECT_EQ(ScriptedProcesses::prepared, 1) << "prepared once, at the first match";
}

TEST(KillProcScriptedTest, APartOfTheNameMatchesNothingAndPreparesNothing) {
  ScriptedProcesses::reset({{u"firefox.exe", true}});
  EXPECT_EQ(killScripted(u"firefox"), u"0");
  EXPECT_TRUE(ScriptedProcesses::asked.empty());
  EXPECT_EQ(ScriptedProcesses::prepared, 0);
}

TEST(KillProcScriptedTest, AFailedPreparationIsTheResultAndEndsTheWalk) {
  ScriptedProcesses::reset({{u"notepad.exe", true}, {u"tool.exe", true}, {u"tool.exe", true}});
  ScriptedProcesses::preparation = wmiStatus(WBEM_E_NOT_FOUND);
  EXPECT_EQ(killScripted(u"tool.exe"), u"-2147217406");
  EXPECT_TRUE(ScriptedProcesses::asked.empty());
}

TEST(KillProcScriptedTest, AnUnreachableWmiIsTheResult) {
  EXPECT_EQ(killScripted(u"tool.exe", ScriptedProcesses::refuse), setup::decimalText(static_cast<int>(wmiStatus(WBEM_E_ACCESS_DENIED))));
}

TEST(KillProcScriptedTest, NamesAreCutAt511Characters) {
  const std::u16string name = std::u16string(507, u'n') + u".exe";
  ScriptedProcesses::reset({{name + u"x", true}, {name, true}});
  EXPECT_EQ(killScripted(name + u"x"), u"1");
  EXPECT_EQ(ScriptedProcesses::asked, (std::vector<std::size_t>{1}));
}

TEST(KillProcScriptedTest, AnEmptyStackEndsNothingAndSaysInvalidArgument) {
  ScriptedProcesses::reset({{u"", true}});
  InstallerState installer(1024, u'#');
  setup::killProcesses(installer.call(), ScriptedProcesses::open);
  EXPECT_EQ(installer.variable(10), u"-2147024809");
  EXPECT_EQ(ScriptedProcesses::opened, 0);
}

}  // namespace
