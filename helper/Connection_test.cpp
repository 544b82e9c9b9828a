// The connection's send path, dispatch, failure handling and reconnect policy, over a
// scripted socket and a manual clock.
#include <gtest/gtest.h>

#include "test_doubles.h"

namespace Quarvo {
namespace {

using testing::RecordingHandler;
using testing::TestConnection;

std::string word(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string frameBytes(uint32_t w2, uint32_t w3, uint32_t w4, const std::string& payload) {
  return "spp " + word(0) + word(w2) + word(w3) + word(w4) + word(static_cast<uint32_t>(payload.size())) + payload;
}

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handler_.reset(RecordingHandler::create());
    connection_.reset(TestConnection::create(handler_.get()));
  }
  void TearDown() override {
    connection_->shutDown();
    EXPECT_EQ(testing::runningTimers(), 0);
  }

  // Delivers bytes from the socket, as an FD_READ per 2048 bytes would.
  void receive(const std::string& bytes) {
    connection_->incoming += bytes;
    while (!connection_->incoming.empty()) connection_->handleSocketEvent(Connection::kEventRead, 0);
  }
  void sendMessage(uint32_t type, uint32_t code, const std::string& payload) {
    CXX::Ref<CXX::MallocBuffer> buffer(CXX::MallocBuffer::create(payload.data(), payload.size()));
    CXX::Ref<Message> message(Message::create(0, type, code, 0, buffer.get()));
    connection_->send(message.get());
  }
  const std::vector<std::string>& calls() { return handler_->calls; }

  CXX::Ref<RecordingHandler> handler_;
  CXX::Ref<TestConnection> connection_;
};

TEST_F(ConnectionTest, SendWritesThePlainFrameThroughPartialWrites) {
  connection_->start();
  connection_->writeLimit = 5;
  sendMessage(1, 1, "S" + word(4) + "anna");
  EXPECT_EQ(connection_->sent, frameBytes(1, 1, 0, "S" + word(4) + "anna"));
  EXPECT_EQ(connection_->sendQueue()->size(), 0u);
}

TEST_F(ConnectionTest, FullSocketKeepsTheRestForTheWriteEvent) {
  connection_->start();
  connection_->writeLimit = 10;
  connection_->writeResult = 0;
  sendMessage(2, 1, "queued");
  EXPECT_EQ(connection_->sent, "");
  EXPECT_EQ(connection_->sendQueue()->size(), 30u);
  connection_->writeResult = 1;
  connection_->handleSocketEvent(Connection::kEventWrite, 0);
  EXPECT_EQ(connection_->sent, frameBytes(2, 1, 0, "queued"));
  EXPECT_TRUE(calls().empty());
}

TEST_F(ConnectionTest, FailedWriteClosesAndRetriesWithoutThrowing) {
  connection_->start();
  connection_->writeResult = -1;
  EXPECT_NO_THROW(sendMessage(2, 1, "lost"));
  EXPECT_FALSE(connection_->open);
  EXPECT_EQ(calls(), std::vector<std::string>{"closed"});
  EXPECT_NE(connection_->reconnectTimer(), nullptr);
  EXPECT_EQ(connection_->sendQueue()->size(), 0u);  // the next connection starts clean
}

TEST_F(ConnectionTest, MessagesGoToTheirHandlerOperations) {
  handler_->reply = [](Message*) { return Message::create(0, 5, 6, 0, nullptr); };
  connection_->start();
  receive(frameBytes(258, 1, 0, "") + frameBytes(0x100, 258, 0x00010000, "") + frameBytes(0x100, 7, 0x00030004, "") +
          frameBytes(0x101, 0x101, 9, "") + frameBytes(2, 1, 0, "t*b"));
  EXPECT_EQ(calls(), (std::vector<std::string>{"notice 258/1", "notice 258/1", "event 7/3", "reply 257/9", "request 2/1"}));
  EXPECT_EQ(connection_->sent, frameBytes(5, 6, 0, ""));  // the request's reply went out
}

TEST_F(ConnectionTest, TwoFramesAndHalfOfAThirdInOneRead) {
  connection_->start();
  std::string third = frameBytes(2, 1, 0, "later");
  receive(frameBytes(2, 1, 0, "a") + frameBytes(2, 1, 0, "b") + third.substr(0, 12));
  EXPECT_EQ(calls().size(), 2u);
  EXPECT_EQ(connection_->receiveQueue()->size(), 12u);
  receive(third.substr(12));
  EXPECT_EQ(calls().size(), 3u);
}

TEST_F(ConnectionTest, GarbageClosesQuietlyAndTheNextConnectionStartsClean) {
  connection_->start();
  receive("HTTP/1.1 400 Bad Request\r\n");
  EXPECT_TRUE(calls().empty());  // not told
  EXPECT_FALSE(connection_->open);
  EXPECT_EQ(connection_->receiveQueue()->size(), 0u);
  ASSERT_NE(connection_->reconnectTimer(), nullptr);
  testing::advanceClock(10);
  EXPECT_TRUE(connection_->open);
  EXPECT_EQ(connection_->reconnectTimer(), nullptr);
  receive(frameBytes(2, 1, 0, "fine"));
  EXPECT_EQ(calls(), std::vector<std::string>{"request 2/1"});
}

TEST_F(ConnectionTest, ServiceAbsentRetriesEveryTenSecondsUntilItIsThere) {
  connection_->start();
  connection_->handleSocketEvent(Connection::kEventConnect, 10061);
  EXPECT_EQ(calls(), std::vector<std::string>{"closed"});
  connection_->connectAnswer = false;
  int before = connection_->connectCalls;
  testing::advanceClock(9);
  EXPECT_EQ(connection_->connectCalls, before);
  testing::advanceClock(1);
  EXPECT_EQ(connection_->connectCalls, before + 1);
  testing::advanceClock(20);
  EXPECT_EQ(connection_->connectCalls, before + 3);
  connection_->connectAnswer = true;
  testing::advanceClock(10);
  EXPECT_EQ(connection_->reconnectTimer(), nullptr);
  EXPECT_EQ(testing::runningTimers(), 0);
  connection_->handleSocketEvent(Connection::kEventConnect, 0);
  EXPECT_EQ(calls().back(), "connected");
}

TEST_F(ConnectionTest, FirstConnectThatCannotStartStillRetries) {
  connection_->connectAnswer = false;
  connection_->start();
  ASSERT_NE(connection_->reconnectTimer(), nullptr);
  connection_->connectAnswer = true;
  testing::advanceClock(10);
  EXPECT_TRUE(connection_->open);
}

TEST_F(ConnectionTest, ConnectWhileOpenChangesNothingAndCloseIsRetriedOnce) {
  connection_->start();
  EXPECT_FALSE(connection_->connect());
  connection_->handleSocketEvent(Connection::kEventClose, 0);
  Timer* first = connection_->reconnectTimer();
  connection_->handleSocketEvent(Connection::kEventClose, 0);
  EXPECT_EQ(connection_->reconnectTimer(), first);  // at most one reconnect timer
  EXPECT_EQ(testing::runningTimers(), 1);
}

TEST_F(ConnectionTest, OneShotTimerStopsBeforeItsCallback) {
  static int fired = 0;
  static int runningDuringCallback = -1;
  CXX::Ref<Timer> timer(Timer::create(currentTime() + 1, 0, [](Timer*, CXX::Object*) {
    ++fired;
    runningDuringCallback = testing::runningTimers();
  }, nullptr));
  timer->start();
  testing::advanceClock(5);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(runningDuringCallback, 0);
}

}  // namespace
}  // namespace Quarvo
