// Test doubles for the helper's platform pieces: a connection whose socket is scripted by the
// test, and timers that fire when the test moves a manual clock. Linking test_doubles.cpp
// supplies Timer::create and currentTime in place of the Windows ones.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Connection.h"

namespace Quarvo::testing {

// The manual clock: starts at 1000 s; fires due timers as it moves.
void advanceClock(double seconds);
// Timers created and currently running.
int runningTimers();

class TestConnection : public Connection {
  CXX_DECLARE_CLASS(TestConnection)

 public:
  static TestConnection* create(Handler* handler);

  bool connect() override;
  void close() override;
  int64_t read(void* buffer, size_t size) override;
  int64_t write(const void* bytes, size_t size) override;

  // Scripted socket.
  bool connectAnswer = true;  // what connect() returns
  int connectCalls = 0;
  bool open = false;
  std::string incoming;       // what read() hands out, kReadChunk at most per call
  std::string sent;           // what write() took
  int64_t writeLimit = -1;    // largest write taken at once (-1: all)
  int64_t writeResult = 1;    // > 0 take bytes, 0 would block, < 0 fail

 protected:
  TestConnection() = default;
};

// Records what the connection tells its handler.
class RecordingHandler : public Connection::Handler {
  CXX_DECLARE_CLASS(RecordingHandler)

 public:
  static RecordingHandler* create();

  void connectionChanged(Connection*, bool connected) override;
  void noticeReceived(Connection*, Message* message) override;
  Message* requestReceived(Connection*, Message* message) override;
  void replyReceived(Connection*, Message* message) override;
  void eventReceived(Connection*, Message* message) override;

  std::vector<std::string> calls;          // "connected", "closed", "notice 258/1", ...
  std::function<Message*(Message*)> reply;  // answer to requests, or none

 protected:
  RecordingHandler() = default;
};

}  // namespace Quarvo::testing
