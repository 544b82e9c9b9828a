#include "ApplicationTermination.h"

#include <gtest/gtest.h>

#include <string>

#include "FakeStoreApplication.h"
#include "TestPrograms.h"

namespace Quarvo {
namespace {

using testing::ChildProgram;
using testing::FakeStoreApplication;
using testing::kClosedExitCode;

constexpr wchar_t kFamily[] = L"Quarvo.TestApp_8wekyb3d8bbwe";

std::wstring closingWindow() { return testing::besideTestProgram(L"closing_window.exe"); }
std::wstring stubbornWindow() { return testing::besideTestProgram(L"stubborn_window.exe"); }

std::wstring upperCase(std::wstring text) {
  CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// How long terminateApplication took, in milliseconds.
DWORD timedTermination(const std::wstring& application, const wchar_t* user) {
  const DWORD start = GetTickCount();
  terminateApplication(application.c_str(), user);
  return GetTickCount() - start;
}

TEST(TerminateDesktopApplication, ProgramThatClosesOnRequestEndsByItself) {
  ChildProgram child(closingWindow());
  ASSERT_TRUE(child.ready());
  EXPECT_LT(timedTermination(closingWindow(), nullptr), 1000u);
  EXPECT_EQ(child.exitCode(0), kClosedExitCode);
}

TEST(TerminateDesktopApplication, ProgramIgnoringCloseIsKilledAfterASecond) {
  ChildProgram child(stubbornWindow());
  ASSERT_TRUE(child.ready());
  EXPECT_GE(timedTermination(stubbornWindow(), nullptr), 900u);
  EXPECT_EQ(child.exitCode(0), 0u);
}

TEST(TerminateDesktopApplication, SameNamedProgramElsewhereIsLeftRunning) {
  testing::CopyInTempFolder copy(closingWindow());
  ChildProgram elsewhere(copy.path());
  ChildProgram target(closingWindow());
  ASSERT_TRUE(elsewhere.ready());
  ASSERT_TRUE(target.ready());
  terminateApplication(closingWindow().c_str(), nullptr);
  EXPECT_EQ(target.exitCode(0), kClosedExitCode);
  EXPECT_TRUE(elsewhere.running());
}

TEST(TerminateDesktopApplication, PathCaseIsIgnored) {
  ChildProgram child(closingWindow());
  ASSERT_TRUE(child.ready());
  terminateApplication(upperCase(closingWindow()).c_str(), nullptr);
  EXPECT_EQ(child.exitCode(0), kClosedExitCode);
}

TEST(TerminateDesktopApplication, OtherProgramsAreLeftRunning) {
  ChildProgram child(stubbornWindow());
  ASSERT_TRUE(child.ready());
  terminateApplication(closingWindow().c_str(), nullptr);
  terminateApplication(L"", nullptr);
  terminateApplication(nullptr, nullptr);
  EXPECT_TRUE(child.running());
}

TEST(TerminateDesktopApplication, UserNameMustMatchIgnoringCase) {
  const std::wstring user = testing::currentUserName();
  ASSERT_FALSE(user.empty());
  ChildProgram child(closingWindow());
  ASSERT_TRUE(child.ready());
  terminateApplication(closingWindow().c_str(), (user + L"x").c_str());
  terminateApplication(closingWindow().c_str(), L"someone-else");
  EXPECT_TRUE(child.running());
  terminateApplication(closingWindow().c_str(), upperCase(user).c_str());
  EXPECT_EQ(child.exitCode(0), kClosedExitCode);
}

TEST(TerminateDesktopApplication, StoreApplicationOfTheSamePathIsLeftRunning) {
  ChildProgram child(closingWindow());
  ASSERT_TRUE(child.ready());
  FakeStoreApplication store(child.processId(), kFamily, FakeStoreApplication::ImmersiveQuery::kPresent);
  terminateApplication(closingWindow().c_str(), nullptr);
  EXPECT_TRUE(child.running());
}

TEST(TerminateStoreApplication, DesktopProgramsAreLeftRunning) {
  ChildProgram child(closingWindow());
  ASSERT_TRUE(child.ready());
  terminateApplication((L"pkg:" + closingWindow()).c_str(), nullptr);
  terminateApplication(L"pkg:", nullptr);
  terminateApplication((std::wstring(L"pkg:") + kFamily).c_str(), nullptr);
  EXPECT_TRUE(child.running());
}

TEST(TerminateStoreApplication, FamilyNameMatchesIgnoringCaseAndEndsItAtOnce) {
  ChildProgram child(stubbornWindow());
  ASSERT_TRUE(child.ready());
  FakeStoreApplication store(child.processId(), kFamily, FakeStoreApplication::ImmersiveQuery::kMissing);
  EXPECT_LT(timedTermination(L"pkg:" + upperCase(kFamily), nullptr), 1000u);
  EXPECT_EQ(child.exitCode(5000), 0u);
}

TEST(TerminateStoreApplication, OtherFamilyOrUserIsLeftRunning) {
  ChildProgram child(closingWindow());
  ASSERT_TRUE(child.ready());
  FakeStoreApplication store(child.processId(), kFamily, FakeStoreApplication::ImmersiveQuery::kPresent);
  terminateApplication(L"pkg:Quarvo.OtherApp_8wekyb3d8bbwe", nullptr);
  terminateApplication(L"PKG:Quarvo.TestApp_8wekyb3d8bbwe", nullptr);
  terminateApplication((std::wstring(L"pkg:") + kFamily).c_str(), L"someone-else");
  EXPECT_TRUE(child.running());
  terminateApplication((std::wstring(L"pkg:") + kFamily).c_str(), testing::currentUserName().c_str());
  EXPECT_EQ(child.exitCode(5000), 0u);
}

}  // namespace
}  // namespace Quarvo
