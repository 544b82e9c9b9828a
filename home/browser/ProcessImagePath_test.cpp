#include "ProcessImagePath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "CaseInsensitiveText.h"
#include "ProcessWalk.h"
#include "ScopedBindingOverride.h"
#include "TestPrograms.h"

namespace Quarvo {
namespace {

using testing::ScopedBindingOverride;

enum class Route { kSystemFunction, kDeviceName };

// The device-name route is what Windows XP takes: the system function is made missing.
std::unique_ptr<ScopedBindingOverride<QueryFullProcessImageNameFunction>> take(Route route) {
  if (route == Route::kSystemFunction) return nullptr;
  return std::make_unique<ScopedBindingOverride<QueryFullProcessImageNameFunction>>(queryFullProcessImageNameBinding(),
                                                                                    nullptr);
}

std::wstring imagePath(HANDLE process) {
  wchar_t path[MAX_PATH];
  uint32_t length = MAX_PATH;
  if (!processImagePath(process, path, &length)) return L"(unreadable)";
  EXPECT_EQ(length, std::wcslen(path));
  return std::wstring(path, length);
}

std::wstring ownModulePath() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::wstring(path, length);
}

class ProcessImagePath : public ::testing::TestWithParam<Route> {};

TEST_P(ProcessImagePath, NamesThisProgram) {
  const auto route = take(GetParam());
  EXPECT_TRUE(equalIgnoringCase(imagePath(GetCurrentProcess()).c_str(), ownModulePath().c_str()))
      << imagePath(GetCurrentProcess());
}

TEST_P(ProcessImagePath, NamesAStartedProgram) {
  const std::wstring program = testing::besideTestProgram(L"closing_window.exe");
  testing::ChildProgram child(program);
  ASSERT_TRUE(child.ready());
  const auto route = take(GetParam());
  ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, child.processId()));
  ASSERT_TRUE(process);
  EXPECT_TRUE(equalIgnoringCase(imagePath(process.get()).c_str(), program.c_str())) << imagePath(process.get());
}

TEST_P(ProcessImagePath, BufferMustHoldPathAndTerminatingZero) {
  const size_t pathLength = ownModulePath().size();
  const auto route = take(GetParam());
  std::vector<wchar_t> buffer(pathLength + 1, L'x');
  uint32_t length = static_cast<uint32_t>(pathLength + 1);
  EXPECT_TRUE(processImagePath(GetCurrentProcess(), buffer.data(), &length));
  EXPECT_EQ(length, pathLength);

  std::fill(buffer.begin(), buffer.end(), L'x');
  length = static_cast<uint32_t>(pathLength);
  EXPECT_FALSE(processImagePath(GetCurrentProcess(), buffer.data(), &length));
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(buffer[0], L'\0');
}

std::string routeName(const ::testing::TestParamInfo<Route>& route) {
  return route.param == Route::kSystemFunction ? "SystemFunction" : "DeviceName";
}

INSTANTIATE_TEST_SUITE_P(Routes, ProcessImagePath, ::testing::Values(Route::kSystemFunction, Route::kDeviceName),
                         routeName);

TEST(ProcessImagePathRoutes, AgreeOnEveryProcess) {
  int compared = 0;
  forEachProcess(0, [&compared](const ProcessInfo& info) {
    const std::wstring fromSystem = imagePath(info.process);
    const auto route = take(Route::kDeviceName);
    EXPECT_EQ(imagePath(info.process), fromSystem) << info.exeFile;
    ++compared;
    return true;
  });
  EXPECT_GT(compared, 1);
}

}  // namespace
}  // namespace Quarvo
