// The list holder: opening with a fallback type, replacing the file, and its lock.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "URLList.h"
#include "test_lists.h"
#include "test_platform.h"

namespace kiv {
namespace {

using CXX::testing::TempFile;
using namespace testing;

class URLListTest : public ::testing::Test {
 protected:
  std::string path(const char* name) const { return (folder_.path().parent_path() / name).string(); }
  // A list whose single domain count tells which one it is.
  std::string makeList(const char* name, int domains, double date = 0.0) {
    std::vector<TestDomain> list;
    for (int i = 0; i < domains; ++i) list.push_back({"d" + std::to_string(i) + ".test", category(1), {}, {}, {}, {}});
    writeList(path(name), list, format::kBlackList, date);
    return path(name);
  }

  TempFile folder_{""};
};

TEST_F(URLListTest, MissingFileWithFallbackTypeIsAnUnloadedList) {
  CXX::Ref<URLList> list(URLList::create(path("missing.kiv").c_str(), format::kWhiteList));
  EXPECT_FALSE(list->isLoaded());
  EXPECT_EQ(list->listType(), format::kWhiteList);
  EXPECT_EQ(list->date(), 0.0);
  EXPECT_EQ(list->domainCount(), 0u);
  EXPECT_EQ(list->path(), path("missing.kiv"));
}

TEST_F(URLListTest, MissingFileWithoutFallbackFailsAndLeavesNothing) {
  int32_t live = URLList::_MetaClass::instance.liveCount();
  try {
    URLList::create(path("missing.kiv").c_str(), 0);
    FAIL() << "expected an error";
  } catch (const CXX::SystemError& error) {
    EXPECT_STREQ(error.what(), "CreateFile: 2");
  }
  EXPECT_EQ(URLList::_MetaClass::instance.liveCount(), live);
}

TEST_F(URLListTest, ReplacingWhenNoFileExistedMovesTheNewOneIntoPlace) {
  CXX::Ref<URLList> list(URLList::create(path("list.kiv").c_str(), format::kBlackList));
  list->replaceFile(makeList("new.kiv", 3, 86400.0).c_str());
  EXPECT_TRUE(list->isLoaded());
  EXPECT_EQ(list->domainCount(), 3u);
  EXPECT_EQ(list->date(), 86400.0);
  EXPECT_FALSE(std::filesystem::exists(path("new.kiv")));
  EXPECT_TRUE(std::filesystem::exists(path("list.kiv")));
}

TEST_F(URLListTest, ReplacingAnOpenListSwapsItsFile) {
  CXX::Ref<URLList> list(URLList::create(makeList("list.kiv", 2).c_str(), 0));
  EXPECT_EQ(list->domainCount(), 2u);
  list->replaceFile(makeList("new.kiv", 5).c_str());
  EXPECT_EQ(list->domainCount(), 5u);
  EXPECT_EQ(list->listType(), format::kBlackList);
}

TEST_F(URLListTest, InvalidReplacementLeavesTheListUnloadedWithTheNewFileInPlace) {
  CXX::Ref<URLList> list(URLList::create(makeList("list.kiv", 2).c_str(), 0));
  std::ofstream(path("bad.kiv"), std::ios::binary) << "not a list at all, but long enough to map";
  try {
    list->replaceFile(path("bad.kiv").c_str());
    FAIL() << "expected an error";
  } catch (const CXX::SystemError& error) {
    EXPECT_STREQ(error.what(), "invalid kiv file signature");
  }
  EXPECT_FALSE(list->isLoaded());
  EXPECT_EQ(list->domainCount(), 0u);
  {
    // Closed again before the next replacement: Windows refuses to replace an open file.
    std::ifstream in(path("list.kiv"), std::ios::binary);
    std::string head(3, '\0');
    in.read(&head[0], 3);
    EXPECT_EQ(head, "not");
  }
  // The next good replacement loads again, and the lock was released on the way out.
  list->replaceFile(makeList("good.kiv", 4).c_str());
  EXPECT_EQ(list->domainCount(), 4u);
}

TEST_F(URLListTest, ReplacementFromAMissingFileFailsInReplaceFile) {
  CXX::Ref<URLList> list(URLList::create(makeList("list.kiv", 2).c_str(), 0));
  try {
    list->replaceFile(path("absent.kiv").c_str());
    FAIL() << "expected an error";
  } catch (const CXX::SystemError& error) {
    EXPECT_EQ(std::string(error.what()).rfind("replace_file: ", 0), 0u) << error.what();
  }
  EXPECT_FALSE(list->isLoaded());
}

TEST_F(URLListTest, ReaderArrivingDuringAWriteWaitsForIt) {
  CXX::Ref<URLList> list(URLList::create(makeList("list.kiv", 2).c_str(), 0));
  list->writeLock();
  std::atomic<bool> readerDone{false};
  std::thread reader([&] {
    list->readLock();
    readerDone = true;
    list->unlock();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(readerDone.load());
  list->unlock();
  reader.join();
  EXPECT_TRUE(readerDone.load());
}

TEST_F(URLListTest, WriterWaitsForReadersAndBlocksNewOnes) {
  CXX::Ref<URLList> list(URLList::create(makeList("list.kiv", 2).c_str(), 0));
  list->readLock();
  std::atomic<int> stage{0};
  std::thread writer([&] {
    list->writeLock();
    stage = 2;
    list->unlock();
  });
  // Once the writer has raised its flag, a new reader must wait behind it.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::thread lateReader([&] {
    list->readLock();
    EXPECT_EQ(stage.load(), 2);
    list->unlock();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(stage.load(), 0);
  list->unlock();
  writer.join();
  lateReader.join();
}

TEST_F(URLListTest, QueriesOnManyThreadsWhileTheFileIsReplaced) {
  CXX::Ref<URLList> list(URLList::create(makeList("list.kiv", 2).c_str(), 0));
  makeList("a.kiv", 3);
  makeList("b.kiv", 4);
  std::atomic<bool> stop{false};
  std::atomic<int> badAnswers{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&] {
      while (!stop) {
        uint32_t count = list->domainCount();
        if (count != 2 && count != 3 && count != 4) ++badAnswers;
        (void)list->isLoaded();
      }
    });
  }
  for (int i = 0; i < 30; ++i) {
    // Each replacement consumes its file: make the next one from a copy.
    const char* source = i % 2 ? "a.kiv" : "b.kiv";
    std::filesystem::copy_file(path(source), path("next.kiv"), std::filesystem::copy_options::overwrite_existing);
    list->replaceFile(path("next.kiv").c_str());
  }
  stop = true;
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(badAnswers.load(), 0);
  EXPECT_TRUE(list->isLoaded());
}

}  // namespace
}  // namespace kiv
