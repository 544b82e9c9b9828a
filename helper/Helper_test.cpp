// The helper's portable behaviour: the user-name frame, requests and notification payloads.
#include <gtest/gtest.h>

#include "Helper.h"
#include "test_doubles.h"

namespace Quarvo {
namespace {

using testing::TestConnection;

// A helper whose platform parts are recorded.
class TestHelper : public Helper {
  CXX_DECLARE_CLASS(TestHelper)

 public:
  void start() override {}
  void run() override {}
  void stop() override { ++stops; }
  void finish() override {}
  void eventHook() override { ++hooks; }
  CXX::Buffer* copyUserName() override {
    return userName.empty() ? nullptr : CXX::MallocBuffer::create(userName.data(), userName.size());
  }
  int showNotification(CXX::Buffer* title, CXX::Buffer* body) override {
    shown.push_back(text(title) + "|" + text(body));
    return 0;
  }

  std::string userName = "anna";
  std::vector<std::string> shown;
  int stops = 0;
  int hooks = 0;
  TestConnection* testConnection = nullptr;

 protected:
  Connection* openConnection(const char*, uint16_t) override {
    testConnection = TestConnection::create(this);
    return testConnection;
  }

 private:
  static std::string text(CXX::Buffer* b) { return std::string(reinterpret_cast<const char*>(b->bytes()), b->length()); }
};

CXX_DEFINE_CLASS(TestHelper, "Quarvo::testing", "TestHelper", Helper)

std::string word(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string frameBytes(uint32_t w2, uint32_t w3, const std::string& payload) {
  return "spp " + word(0) + word(w2) + word(w3) + word(0) + word(static_cast<uint32_t>(payload.size())) + payload;
}

class HelperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    helper_.reset(CXX::alloc<TestHelper>());
    helper_->createConnection();
  }
  void TearDown() override { helper_->closeConnection(); }

  void receive(const std::string& bytes) {
    helper_->testConnection->incoming += bytes;
    helper_->testConnection->handleSocketEvent(Connection::kEventRead, 0);
  }

  CXX::Ref<TestHelper> helper_;
};

TEST_F(HelperTest, EveryConnectSendsTheUserName) {
  helper_->testConnection->handleSocketEvent(Connection::kEventConnect, 0);
  std::string expected = frameBytes(1, 1, std::string("S") + word(4) + "anna");
  EXPECT_EQ(helper_->testConnection->sent, expected);
  helper_->testConnection->handleSocketEvent(Connection::kEventClose, 0);
  testing::advanceClock(10);
  helper_->testConnection->handleSocketEvent(Connection::kEventConnect, 0);
  EXPECT_EQ(helper_->testConnection->sent, expected + expected);
}

TEST_F(HelperTest, NoUserNameSendsNothing) {
  helper_->userName.clear();
  helper_->testConnection->handleSocketEvent(Connection::kEventConnect, 0);
  EXPECT_EQ(helper_->testConnection->sent, "");
}

TEST_F(HelperTest, StopOnlyForTypeOneCodeTwo) {
  receive(frameBytes(1, 3, "") + frameBytes(258, 2, "") + frameBytes(1, 2, "ignored"));
  EXPECT_EQ(helper_->stops, 1);
}

TEST_F(HelperTest, NotificationPayloadsSplitAtTheFirstStar) {
  receive(frameBytes(2, 1, "a*b") + frameBytes(2, 1, "*b") + frameBytes(2, 1, "no star") +
          frameBytes(2, 1, "a*b*c") + frameBytes(2, 1, "title*") + frameBytes(2, 2, "x*y"));
  EXPECT_EQ(helper_->shown, (std::vector<std::string>{"a|b", "a|b*c", "title|"}));
}

TEST_F(HelperTest, EventsWithCodeOneReachTheHook) {
  receive("spp " + word(0) + word(0x100) + word(9) + word(0x00010000) + word(0) + frameBytes(0x100, 9, ""));
  EXPECT_EQ(helper_->hooks, 1);
}

}  // namespace
}  // namespace Quarvo
