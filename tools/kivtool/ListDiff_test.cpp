// Patches written by the diff turn the old list into the new one through the engine's merge.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Dictionary.h"
#include "ListDiff.h"
#include "Compile.h"
#include "ListSource.h"
#include "test_platform.h"
#include "update/Patch.h"
#include "update/memstreambuf.h"

namespace kivtool {
namespace {

class ListDiffTest : public ::testing::Test {
 protected:
  std::string path(const char* name) const { return (folder_.path().parent_path() / name).string(); }

  CXX::Ref<kiv::Dictionary> compile(const std::string& text, const char* name, double date) {
    std::istringstream in(text);
    compileList(parseText(in, name), path(name), 1, date);
    return CXX::Ref<kiv::Dictionary>(kiv::Dictionary::create(path(name).c_str()));
  }

  // Diff, then apply the patch to the old list as an update would.
  CXX::Ref<kiv::Dictionary> diffAndApply(const std::string& before, const std::string& after) {
    CXX::Ref<kiv::Dictionary> oldList = compile(before, "old.kiv", 100.0);
    CXX::Ref<kiv::Dictionary> newList = compile(after, "new.kiv", 200.0);
    writeDiff(*oldList, *newList, path("patch.kivp"));
    std::ifstream in(path("patch.kivp"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    CXX::Ref<kiv::update::Patch> patch(kiv::update::Patch::create());
    kiv::update::memstreambuf buffer(bytes.data(), bytes.size());
    std::istream input(&buffer);
    input.exceptions(std::ios::failbit | std::ios::badbit | std::ios::eofbit);
    patch->read(input);
    std::ofstream(path("merged.kiv")).close();
    CXX::platform::FileHandle file = CXX::testing::openFile(path("merged.kiv"), true);
    oldList->writeMerged(patch.get(), file);
    CXX::testing::closeFile(file);
    return CXX::Ref<kiv::Dictionary>(kiv::Dictionary::create(path("merged.kiv").c_str()));
  }

  static std::string check(const CXX::Ref<kiv::Dictionary>& list, const std::string& url) {
    kiv::CheckResult r = list->check(url.data(), url.size());
    return kiv::isMatch(r) ? std::to_string(kiv::categoryOf(r)) : "none";
  }

  CXX::testing::TempFile folder_{""};
};

TEST_F(ListDiffTest, MergedPatchAnswersLikeTheNewList) {
  std::string before =
      "same.test 1\n"
      "changed.test 2\n"
      "gone.test 3\n"
      "paths.test 4\n"
      "paths.test/keep 5\n"
      "paths.test/change 6\n"
      "paths.test/drop 7\n"
      "www.wwwgone.test 8\n"
      "wwwgone.test 9\n";
  std::string after =
      "same.test 1\n"
      "changed.test 12 secure=13 host-only\n"
      "paths.test 4\n"
      "paths.test/keep 5\n"
      "paths.test/change 16 prefix\n"
      "paths.test/new 17\n"
      "wwwgone.test 9\n"
      "www.wwwnew.test 18\n"
      "new.test 19\n";
  CXX::Ref<kiv::Dictionary> merged = diffAndApply(before, after);
  CXX::Ref<kiv::Dictionary> expected = compile(after, "expected.kiv", 200.0);
  EXPECT_EQ(merged->domainCount(), expected->domainCount());
  EXPECT_DOUBLE_EQ(merged->date(), 200.0);
  for (const char* url : {"http://same.test/", "http://changed.test/", "https://changed.test/", "http://a.changed.test/",
                          "http://gone.test/", "http://paths.test/keep", "http://paths.test/change/x", "http://paths.test/drop",
                          "http://paths.test/new", "http://www.wwwgone.test/", "http://www.wwwnew.test/", "http://new.test/"}) {
    SCOPED_TRACE(url);
    EXPECT_EQ(check(merged, url), check(expected, url));
  }
  EXPECT_EQ(check(merged, "http://www.wwwgone.test/"), "9");
}

}  // namespace
}  // namespace kivtool
