// The reply grammar and the receivers, driven chunk by chunk without a network.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../test_lists.h"
#include "PatchFormat.h"
#include "Receivers.h"
#include "Updater.h"
#include "test_patches.h"
#include "test_platform.h"

namespace kiv::update {
namespace {

using CXX::testing::TempFile;
using namespace kiv::testing;

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string body(int64_t timestamp, const std::string& bytes) {
  return "patch " + std::to_string(timestamp) + "," + std::to_string(bytes.size()) + "\n" + bytes;
}

class UpdaterReply : public ::testing::Test {
 protected:
  void SetUp() override {
    writeList(path("list.kiv"), {{"old.test", category(1), {}, {}, {}, {}}}, 1, 100.0);
    list_.reset(URLList::create(path("list.kiv").c_str(), 0));
    updater_.reset(Updater::create(list_.get()));
  }

  std::string path(const std::string& name) const { return (folder_.path().parent_path() / name).string(); }

  // Feeds the reply in chunks of the given size; true when every chunk was accepted.
  bool feed(const std::string& reply, size_t chunk = 4096) {
    context_ = Updater::UpdateContext();
    context_.updater = updater_.get();
    updater_->resetReply();
    for (size_t at = 0; at < reply.size(); at += chunk) {
      size_t n = std::min(chunk, reply.size() - at);
      if (updater_->receive(context_, reinterpret_cast<const uint8_t*>(reply.data() + at), n) != n) return false;
    }
    return true;
  }

  // Feeds and, when accepted, installs as a run does.
  bool apply(const std::string& reply, size_t chunk = 4096) {
    if (!feed(reply, chunk)) return false;
    if (context_.receiver) context_.receiver->finish(list_.get());
    context_.receiver.reset();
    return true;
  }

  // Files other than the list in the list's folder: temporary files left behind.
  int strayFiles() const {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.path().parent_path()))
      count += entry.path().filename() != "list.kiv" && entry.path().filename() != "file.bin" &&
               entry.path().filename().string().rfind("source", 0) != 0;
    return count;
  }

  std::string completeList(const std::vector<TestDomain>& domains, double date) {
    writeList(path("source.kiv"), domains, 1, date);
    return fileBytes(path("source.kiv"));
  }

  bool hostFound(const char* host) {
    ReadLocked hold(list_.get());
    Dictionary* dictionary = list_->dictionary();
    return dictionary && dictionary->findName(host, std::strlen(host)).found();
  }

  TempFile folder_{""};
  CXX::Ref<URLList> list_;
  CXX::Ref<Updater> updater_;
  Updater::UpdateContext context_;
};

TEST_F(UpdaterReply, ResponseHeaderLineIsCheckedBeforeAnythingElse) {
  EXPECT_TRUE(feed("kivp 1,0\n"));
  EXPECT_TRUE(feed("kivp 1,256\n"));
  EXPECT_FALSE(feed("kivp 1,257\n"));
  EXPECT_FALSE(feed("kivp 2,1\n"));
  EXPECT_FALSE(feed("kivp 1\n"));           // no separator and count
  EXPECT_FALSE(feed("kivx 1,1\n"));
  EXPECT_FALSE(feed("patch 1,1\nx"));       // a body before the response header
  EXPECT_FALSE(feed("kivp 1,4294967297\n"));  // does not fit 32 bits
  EXPECT_TRUE(feed("kivp 1;3 trailing text\n"));
}

TEST_F(UpdaterReply, EmptyPatchReplyChangesNothing) {
  EXPECT_TRUE(apply("kivp 1,0\n"));
  EXPECT_TRUE(list_->isLoaded());
  EXPECT_DOUBLE_EQ(list_->date(), 100.0);
  EXPECT_EQ(strayFiles(), 0);
}

TEST_F(UpdaterReply, BodyHeaderLinesNeedAPositiveDateAndSize) {
  EXPECT_FALSE(feed("kivp 1,1\npatch 0,5\n"));
  EXPECT_FALSE(feed("kivp 1,1\npatch 10,0\n"));
  EXPECT_FALSE(feed("kivp 1,1\npatch 10,-5\n"));
  EXPECT_FALSE(feed("kivp 1,1\npatch 10\n"));
  EXPECT_FALSE(feed("kivp 1,1\npatches 10,5\n"));
}

TEST_F(UpdaterReply, CompleteListIsInstalledAndReportedAsSuch) {
  std::string list = completeList({{"new.test", category(4), {}, {}, {}, {}}, {"two.test", category(5), {}, {}, {}, {}}}, 200.0);
  EXPECT_TRUE(apply("kivp 1,-1\n" + body(200000000, list)));
  EXPECT_TRUE(context_.fullList);
  EXPECT_EQ(list_->domainCount(), 2u);
  EXPECT_DOUBLE_EQ(list_->date(), 200.0);
  EXPECT_TRUE(hostFound("new.test"));
  EXPECT_EQ(strayFiles(), 0);
}

TEST_F(UpdaterReply, CompleteListAnnouncedWithoutBodyTouchesNothing) {
  std::string before = fileBytes(path("list.kiv"));
  EXPECT_TRUE(apply("kivp 1,-1\n"));
  EXPECT_EQ(fileBytes(path("list.kiv")), before);
  EXPECT_TRUE(list_->isLoaded());
  EXPECT_EQ(strayFiles(), 0);
}

TEST_F(UpdaterReply, DamagedCompleteListNeverReplacesTheWorkingOne) {
  std::string good = completeList({{"new.test", category(4), {}, {}, {}, {}}}, 200.0);
  std::string before = fileBytes(path("list.kiv"));
  std::string truncated = good.substr(0, good.size() - 3);
  std::string flipped = good;
  flipped[flipped.size() - 13] = static_cast<char>(flipped[flipped.size() - 13] ^ 0x80);  // the bucket table's entry
  std::string wrongCount = good;
  wrongCount[16] = 2;
  for (const std::string& bad : {truncated, flipped, wrongCount, std::string("kivf but not a list at all")}) {
    feed("kivp 1,-1\n" + body(5, bad));
    EXPECT_THROW(context_.receiver->finish(list_.get()), CXX::SystemError);
    context_.receiver.reset();
    EXPECT_TRUE(list_->isLoaded());
    EXPECT_DOUBLE_EQ(list_->date(), 100.0);
    EXPECT_TRUE(hostFound("old.test"));
    EXPECT_EQ(fileBytes(path("list.kiv")), before);
    EXPECT_EQ(strayFiles(), 0);
  }
}

TEST_F(UpdaterReply, PatchesAreFoldedAndMergedIntoTheList) {
  using namespace kiv::patch;
  std::string first = PatchBytes(1, 150000000).domain("added.test").main(kAdd, 6).bytes();
  std::string second = PatchBytes(1, 160000000).domain("old.test").main(kDelete).bytes();
  EXPECT_TRUE(apply("kivp 1,2\n" + body(150000000, first) + body(160000000, second)));
  EXPECT_FALSE(context_.fullList);
  EXPECT_DOUBLE_EQ(list_->date(), 160.0);
  EXPECT_TRUE(hostFound("added.test"));
  EXPECT_FALSE(hostFound("old.test"));
  EXPECT_EQ(strayFiles(), 0);
}

TEST_F(UpdaterReply, BadPatchFailsTheTransferAndLeavesTheList) {
  EXPECT_FALSE(feed("kivp 1,1\n" + body(5, PatchBytes(1, 5, "kivf").bytes())));
  std::string before = fileBytes(path("list.kiv"));
  EXPECT_FALSE(feed("kivp 1,2\n" + body(5, PatchBytes(1, 50).bytes()) + body(5, PatchBytes(1, 40).bytes())));
  EXPECT_EQ(fileBytes(path("list.kiv")), before);
}

TEST_F(UpdaterReply, CountLimitsTheNumberOfBodies) {
  std::string reply = "kivp 1,256\n";
  for (int i = 1; i <= 256; ++i) reply += body(i, PatchBytes(1, i).bytes());
  EXPECT_TRUE(feed(reply));
  EXPECT_FALSE(feed(reply + body(257, PatchBytes(1, 257).bytes())));
  EXPECT_FALSE(feed("kivp 1,-1\n" + body(1, "x") + body(2, "y")));  // one complete list per reply
}

TEST_F(UpdaterReply, BodySizeLimitsAreExact) {
  EXPECT_TRUE(feed("kivp 1,1\npatch 5," + std::to_string(kMaxPatchSize) + "\n"));
  EXPECT_FALSE(feed("kivp 1,1\npatch 5," + std::to_string(kMaxPatchSize + 1) + "\n"));
  EXPECT_TRUE(feed("kivp 1,-1\npatch 5," + std::to_string(kMaxListSize) + "\n"));
  context_.receiver.reset();
  EXPECT_FALSE(feed("kivp 1,-1\npatch 5," + std::to_string(kMaxListSize + 1) + "\n"));
  context_.receiver.reset();
  EXPECT_EQ(strayFiles(), 0);  // the unfinished list's temporary file went with its receiver
}

TEST_F(UpdaterReply, HeaderLinesMayArriveOneByteAtATimeUpTo128Bytes) {
  std::string list = completeList({{"new.test", category(4), {}, {}, {}, {}}}, 200.0);
  EXPECT_TRUE(apply("kivp 1,-1\n" + body(200000000, list), 1));
  EXPECT_TRUE(hostFound("new.test"));

  std::string padded128 = "kivp 1,0" + std::string(119, ' ') + "\n";
  ASSERT_EQ(padded128.size(), 128u);
  EXPECT_TRUE(feed(padded128, 7));
  std::string padded129 = "kivp 1,0" + std::string(120, ' ') + "\n";
  EXPECT_FALSE(feed(padded129, 7));
  EXPECT_TRUE(feed(padded129));  // whole in one chunk it needs no buffering
}

TEST_F(UpdaterReply, AbortStopsTheReplyAndLeavesNoTemporaryFile) {
  std::string list = completeList({{"new.test", category(4), {}, {}, {}, {}}}, 200.0);
  std::string reply = "kivp 1,-1\n" + body(200000000, list);
  context_ = Updater::UpdateContext();
  context_.updater = updater_.get();
  size_t half = reply.size() / 2;
  ASSERT_EQ(updater_->receive(context_, reinterpret_cast<const uint8_t*>(reply.data()), half), half);
  EXPECT_EQ(strayFiles(), 1);  // the list being received
  updater_->abort();
  EXPECT_EQ(updater_->receive(context_, reinterpret_cast<const uint8_t*>(reply.data() + half), reply.size() - half), 0u);
  context_.receiver.reset();
  EXPECT_EQ(strayFiles(), 0);
  EXPECT_TRUE(hostFound("old.test"));
}

TEST_F(UpdaterReply, PatchesForAnUnloadedListInstallNothing) {
  CXX::Ref<URLList> unloaded(URLList::create(path("missing.kiv").c_str(), 1));
  CXX::Ref<Updater> updater(Updater::create(unloaded.get()));
  Updater::UpdateContext context;
  context.updater = updater.get();
  std::string reply = "kivp 1,1\n" + body(5, PatchBytes(1, 5).domain("a.test").main(kiv::patch::kAdd, 1).bytes());
  ASSERT_EQ(updater->receive(context, reinterpret_cast<const uint8_t*>(reply.data()), reply.size()), reply.size());
  EXPECT_THROW(context.receiver->finish(unloaded.get()), CXX::SystemError);
  EXPECT_FALSE(std::filesystem::exists(path("missing.kiv")));
  EXPECT_EQ(strayFiles(), 0);
}

TEST(TemporaryFolder, IsTheListsFolder) {
  std::string folder;
  ASSERT_TRUE(temporaryFolderFor("/var/lists/black.kiv", &folder));
  EXPECT_EQ(folder, "/var/lists");
  ASSERT_TRUE(temporaryFolderFor("/black.kiv", &folder));
  EXPECT_EQ(folder, "/");
  ASSERT_TRUE(temporaryFolderFor("black.kiv", &folder));
  EXPECT_EQ(folder, ".");
  ASSERT_TRUE(temporaryFolderFor("lists/sub//", &folder));
  EXPECT_EQ(folder, "lists");
  EXPECT_FALSE(temporaryFolderFor(std::string(2049, 'a'), &folder));
}

}  // namespace
}  // namespace kiv::update
