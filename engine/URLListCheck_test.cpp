// URL checks through the holder: no list, and checks racing a file replacement.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "URLList.h"
#include "test_lists.h"
#include "test_platform.h"

namespace kiv {
namespace {

using CXX::testing::TempFile;
using namespace testing;

TEST(URLListCheck, UnloadedListAnswersNoListLoaded) {
  TempFile folder("");
  std::string missing = (folder.path().parent_path() / "missing.kiv").string();
  CXX::Ref<URLList> list(URLList::create(missing.c_str(), format::kBlackList));
  EXPECT_EQ(list->check("http://example.test/", 20), kNoListLoaded);
}

TEST(URLListCheck, ChecksRunAgainstOneListOrTheOtherWhileItIsReplaced) {
  TempFile folder("");
  auto path = [&](const char* name) { return (folder.path().parent_path() / name).string(); };
  writeList(path("list.kiv"), {{"example.test", category(1), {}, {}, {}, {}}});
  writeList(path("a.kiv"), {{"example.test", category(1), {}, {}, {}, {}}});
  writeList(path("b.kiv"), {{"example.test", category(2), {}, {}, {}, {}}});
  CXX::Ref<URLList> list(URLList::create(path("list.kiv").c_str(), 0));

  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  std::vector<std::thread> checkers;
  for (int t = 0; t < 3; ++t) {
    checkers.emplace_back([&] {
      const char* url = "https://www.example.test/some/path?q=1";
      while (!stop) {
        CheckResult r = list->check(url, std::strlen(url));
        if (r != matchOf(1) && r != matchOf(2)) ++bad;
      }
    });
  }
  for (int i = 0; i < 30; ++i) {
    std::filesystem::copy_file(path(i % 2 ? "a.kiv" : "b.kiv"), path("next.kiv"),
                               std::filesystem::copy_options::overwrite_existing);
    list->replaceFile(path("next.kiv").c_str());
  }
  stop = true;
  for (auto& checker : checkers) checker.join();
  EXPECT_EQ(bad.load(), 0);
}

}  // namespace
}  // namespace kiv
