// The web client and whole update runs against the reference update server on loopback.
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "../test_lists.h"
#include "PatchFormat.h"
#include "UpdateServerProcess.h"
#include "Updater.h"
#include "WebClient.h"
#include "test_patches.h"
#include "test_platform.h"

namespace kiv::update {
namespace {

using CXX::testing::TempFile;
using quarvo::testing::UpdateServerProcess;
using namespace kiv::testing;
namespace fs = std::filesystem;

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void putFile(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// A JSON string holding arbitrary bytes (the server reads it as latin-1).
std::string jsonBytes(const std::string& bytes) {
  std::string out = "\"";
  char escape[8];
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    }
  }
  return out + "\"";
}

class UpdateRun : public ::testing::Test {
 protected:
  void SetUp() override {
    // The device's list (date 100 s); the server's list (200 s) and a patch to 300 s.
    writeList(path("device/list.kiv"), {{"old.test", category(1), {}, {}, {}, {}}}, 1, 100.0);
    writeList(path("server/black/list.kiv"), {{"full.test", category(2), {}, {}, {}, {}}}, 1, 200.0);
    putFile(path("server/black/patches/200000000-300000000.kivp"),
            PatchBytes(1, 300000000).domain("patched.test").main(patch::kAdd, 3).bytes());
    server_ = std::make_unique<UpdateServerProcess>(path("server"));
    list_.reset(URLList::create(path("device/list.kiv").c_str(), 0));
    updater_.reset(Updater::create(list_.get()));
  }

  std::string path(const std::string& name) const {
    fs::path full = folder_.path().parent_path() / name;
    fs::create_directories(full.parent_path());
    return full.string();
  }

  CheckResult check(const std::string& url) { return list_->check(url.data(), url.size()); }

  int strayFiles() const {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder_.path().parent_path() / "device"))
      count += entry.path().filename() != "list.kiv";
    return count;
  }

  void expectUnchanged() {
    EXPECT_DOUBLE_EQ(list_->date(), 100.0);
    EXPECT_EQ(check("http://old.test/"), matchOf(1));
    EXPECT_EQ(strayFiles(), 0);
  }

  std::string fullReply(const std::string& list) {
    return "kivp 1,-1\npatch 400000000," + std::to_string(list.size()) + "\n" + list;
  }

  TempFile folder_{""};
  std::unique_ptr<UpdateServerProcess> server_;
  CXX::Ref<URLList> list_;
  CXX::Ref<Updater> updater_;
};

TEST_F(UpdateRun, CompleteListThenPatchesWithTheNewDateInTheSecondRequest) {
  ASSERT_TRUE(updater_->run(server_->updateUrl().c_str()));
  EXPECT_EQ(server_->requests(), "[\"type=black&date=100000000\", \"type=black&date=200000000\"]");
  EXPECT_DOUBLE_EQ(list_->date(), 300.0);
  EXPECT_EQ(check("http://full.test/"), matchOf(2));
  EXPECT_EQ(check("https://www.patched.test/x"), matchOf(3));
  EXPECT_EQ(check("http://old.test/"), kNoMatch);
  EXPECT_EQ(strayFiles(), 0);

  server_->setMode("{}");
  ASSERT_TRUE(updater_->run(server_->updateUrl().c_str()));  // current: "kivp 1,0"
  EXPECT_EQ(server_->requests(), "[\"type=black&date=300000000\"]");
  EXPECT_DOUBLE_EQ(list_->date(), 300.0);
}

TEST_F(UpdateRun, FailedTransfersLeaveTheListAsItWas) {
  std::string good = fileBytes(path("server/black/list.kiv"));
  const char* modes[] = {
      "{\"status\": 500}",
      "{\"status\": 304}",
      "{\"close_after\": 60}",
      "{\"reply\": \"kivp 1,1\\npatch 5,3\\nxyz\"}",
      "{\"reply\": \"kivp 1,2\\n\"}",  // fine, but then nothing: accepted, nothing changes
  };
  for (const char* mode : modes) {
    SCOPED_TRACE(mode);
    server_->setMode(mode);
    bool expected = std::string(mode).find("kivp 1,2") != std::string::npos;
    EXPECT_EQ(updater_->run(server_->updateUrl().c_str()), expected);
    expectUnchanged();
  }
  server_->setMode("{\"reply\": " + jsonBytes(fullReply(good.substr(0, good.size() - 1))) + "}");
  EXPECT_FALSE(updater_->run(server_->updateUrl().c_str()));  // body shorter than announced
  expectUnchanged();
  std::string corrupt = good;
  corrupt[corrupt.size() - 1] = static_cast<char>(corrupt.back() ^ 0x80);  // host word's extended bit
  server_->setMode("{\"reply\": " + jsonBytes("kivp 1,-1\npatch 5," + std::to_string(corrupt.size()) + "\n" + corrupt) + "}");
  EXPECT_FALSE(updater_->run(server_->updateUrl().c_str()));
  expectUnchanged();
}

TEST_F(UpdateRun, ServerGoneOrUnreachable) {
  server_->setMode("{\"stall\": 0.3, \"close_after\": 20}");
  std::thread killer([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    server_->kill();
  });
  EXPECT_FALSE(updater_->run(server_->updateUrl().c_str()));
  killer.join();
  EXPECT_FALSE(updater_->run(server_->updateUrl().c_str()));  // connection refused now
  expectUnchanged();
}

TEST_F(UpdateRun, AbortFromAnotherThreadEndsTheRunWithoutATrace) {
  std::string big;
  std::vector<TestDomain> domains;
  for (int i = 0; i < 2000; ++i) domains.push_back({"d" + std::to_string(i) + ".test", category(5), {}, {}, {}, {}});
  writeList(path("server/black/list.kiv"), domains, 1, 200.0);
  server_->setMode("{\"chunk\": 512, \"chunk_delay\": 0.01}");
  std::thread aborter([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    updater_->abort();
  });
  EXPECT_FALSE(updater_->run(server_->updateUrl().c_str()));
  aborter.join();
  expectUnchanged();
  server_->setMode("{}");
  EXPECT_TRUE(updater_->run(server_->updateUrl().c_str()));  // aborted: nothing asked, nothing done
  EXPECT_EQ(server_->requests(), "[]");
}

TEST_F(UpdateRun, DiskFullWhileReceivingLeavesTheList) {
  std::vector<TestDomain> domains;
  for (int i = 0; i < 500; ++i) domains.push_back({"d" + std::to_string(i) + ".test", category(5), {}, {}, {}, {}});
  writeList(path("server/black/list.kiv"), domains, 1, 200.0);
  // A file size limit stands in for a full disk: writes past it fail with EFBIG.
  struct rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  bool result = updater_->run(server_->updateUrl().c_str());
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_FALSE(result);
  expectUnchanged();
}

TEST_F(UpdateRun, ChecksGoOnWhileUpdatesApply) {
  std::string a, b;
  writeList(path("a.kiv"), {{"site.test", category(1), {}, {}, {}, {}}}, 1, 500.0);
  writeList(path("b.kiv"), {{"site.test", category(2), {}, {}, {}, {}}}, 1, 600.0);
  a = fileBytes(path("a.kiv"));
  b = fileBytes(path("b.kiv"));
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0}, checks{0};
  std::vector<std::thread> checkers;
  for (int t = 0; t < 2; ++t) {
    checkers.emplace_back([&] {
      while (!stop) {
        CheckResult r = check("https://www.site.test/page");
        // Before the first update the list has no site.test at all.
        if (r != matchOf(1) && r != matchOf(2) && r != kNoMatch) ++bad;
        ++checks;
      }
    });
  }
  int failedRuns = 0;
  for (int i = 0; i < 20; ++i) {
    server_->setMode("{\"reply\": " + jsonBytes(fullReply(i % 2 ? a : b)) + "}");
    failedRuns += !updater_->run(server_->updateUrl().c_str());
  }
  stop = true;
  for (auto& checker : checkers) checker.join();
  EXPECT_EQ(failedRuns, 0);
  EXPECT_EQ(bad.load(), 0);
  EXPECT_GT(checks.load(), 0);
  EXPECT_EQ(strayFiles(), 0);
}

// The web client on its own.
struct Received {
  int calls = 0;
  std::string bytes;
  size_t accept = SIZE_MAX;
};

size_t collect(WebClient*, const char* bytes, size_t length, void* context) {
  auto* received = static_cast<Received*>(context);
  ++received->calls;
  received->bytes.append(bytes, length);
  return received->accept == SIZE_MAX ? length : received->accept;
}

TEST_F(UpdateRun, WebClientStatusBodiesAndRefusals) {
  std::string url = server_->updateUrl();
  auto perform = [&](Received& received) -> std::string {
    CXX::Ref<WebClient> client(WebClient::create(url.c_str(), &collect, &received));
    curl_easy_setopt(client->handle(), CURLOPT_COPYPOSTFIELDS, "type=black&date=0");
    try {
      client->perform();
    } catch (const CXX::SystemError& error) {
      return error.what();
    }
    return "ok";
  };
  server_->setMode("{\"reply\": \"\"}");
  Received empty;
  EXPECT_EQ(perform(empty), "ok");
  EXPECT_EQ(empty.calls, 0);

  server_->setMode("{\"reply\": \"not here\", \"status\": 404}");
  Received notFound;
  EXPECT_EQ(perform(notFound), "unexpected http status (not 200 OK).");
  EXPECT_EQ(notFound.bytes, "not here");

  server_->setMode("{\"reply\": \"refuse me\"}");
  Received refused;
  refused.accept = 0;
  EXPECT_EQ(perform(refused), "Failed writing received data to disk/application");

  EXPECT_THROW(WebClient::create(nullptr, &collect, nullptr), CXX::RuntimeError);
}

}  // namespace
}  // namespace kiv::update
