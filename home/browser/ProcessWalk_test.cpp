#include "ProcessWalk.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "TestPrograms.h"
#include "test_platform.h"

namespace Quarvo {
namespace {

using testing::ChildProgram;

struct Sighting {
  int visits = 0;
  bool immersive = true;
  std::wstring exeFile;
  std::wstring user;
  DWORD handleProcessId = 0;
};

Sighting lookFor(DWORD processId) {
  Sighting sighting;
  const uint32_t result = forEachProcess(0, [&](const ProcessInfo& info) {
    if (info.processId != processId) return true;
    ++sighting.visits;
    sighting.immersive = info.immersive;
    sighting.exeFile = info.exeFile;
    sighting.user = info.user;
    sighting.handleProcessId = GetProcessId(info.process);
    return true;
  });
  EXPECT_EQ(result, 0u);
  return sighting;
}

TEST(ProcessWalk, FindsAStartedProgramWithItsNameUserAndHandle) {
  ChildProgram child(testing::besideTestProgram(L"closing_window.exe"));
  ASSERT_TRUE(child.ready());
  const Sighting sighting = lookFor(child.processId());
  EXPECT_EQ(sighting.visits, 1);
  EXPECT_EQ(sighting.exeFile, L"closing_window.exe");
  EXPECT_EQ(sighting.user, testing::currentUserName());
  EXPECT_FALSE(sighting.immersive);
  EXPECT_EQ(sighting.handleProcessId, child.processId());
}

int countAndStop(const ProcessInfo*, void* context) {
  ++*static_cast<int*>(context);
  return 0;
}

int countAndGoOn(const ProcessInfo*, void* context) {
  ++*static_cast<int*>(context);
  return 1;
}

TEST(ProcessWalk, VisitorAnsweringZeroEndsTheWalk) {
  int all = 0;
  EXPECT_EQ(forEachProcess(0, &countAndGoOn, &all), 0u);
  ASSERT_GT(all, 1);
  int visits = 0;
  EXPECT_EQ(forEachProcess(0, &countAndStop, &visits), 0u);
  EXPECT_EQ(visits, 1);
}

TEST(ProcessWalk, ExceptionFromAVisitEndsTheWalkInside) {
  int visits = 0;
  const uint32_t result = forEachProcess(0, [&visits](const ProcessInfo&) -> bool {
    ++visits;
    throw std::runtime_error("visitor failed");
  });
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(visits, 1);
}

TEST(ProcessWalk, HandleCarriesTheExtraAccess) {
  ChildProgram child(testing::besideTestProgram(L"stubborn_window.exe"));
  ASSERT_TRUE(child.ready());
  auto terminateThroughWalk = [&child](uint32_t extraAccess) {
    bool terminated = false;
    forEachProcess(extraAccess, [&](const ProcessInfo& info) {
      if (info.processId != child.processId()) return true;
      terminated = TerminateProcess(info.process, 5) != FALSE;
      return false;
    });
    return terminated;
  };
  EXPECT_FALSE(terminateThroughWalk(0));
  EXPECT_TRUE(child.running());
  EXPECT_TRUE(terminateThroughWalk(PROCESS_TERMINATE));
  EXPECT_EQ(child.exitCode(5000), 5u);
}

TEST(ProcessWalk, LeavesNoHandleOpen) {
  ChildProgram child(testing::besideTestProgram(L"closing_window.exe"));
  ASSERT_TRUE(child.ready());
  const size_t before = CXX::testing::openHandleCount();
  int visits = 0;
  forEachProcess(PROCESS_TERMINATE, &countAndGoOn, &visits);
  visits = 0;
  forEachProcess(0, &countAndStop, &visits);
  EXPECT_EQ(CXX::testing::openHandleCount(), before);
}

}  // namespace
}  // namespace Quarvo
