// Test doubles for the helper's platform pieces (see test_doubles.h).
#include "test_doubles.h"

#include <algorithm>

namespace Quarvo {

namespace testing {
namespace {

double clockNow = 1000.0;

class ManualTimer : public Timer {
  CXX_DECLARE_CLASS(ManualTimer)

 public:
  static std::vector<ManualTimer*>& running() {
    static std::vector<ManualTimer*> timers;
    return timers;
  }

  void configure(double fireAt, double every, Callback onFire, CXX::Object* object) {
    setUp(fireAt, every, onFire, object);
    due_ = fireAt;
  }
  bool start() override {
    if (!std::count(running().begin(), running().end(), this)) running().push_back(this);
    return true;
  }
  void stop() override { running().erase(std::remove(running().begin(), running().end(), this), running().end()); }

  // As the Windows timer procedure does: re-arm or stop first, then call back.
  void fireIfDue() {
    if (due_ > clockNow) return;
    if (interval() > 0)
      due_ += interval();
    else
      stop();
    fire();
  }

 private:
  double due_ = 0.0;
};

}  // namespace

void advanceClock(double seconds) {
  double end = clockNow + seconds;
  while (clockNow < end) {
    clockNow = std::min(end, clockNow + 0.5);
    std::vector<ManualTimer*> due = ManualTimer::running();
    for (ManualTimer* timer : due)
      if (std::count(ManualTimer::running().begin(), ManualTimer::running().end(), timer)) timer->fireIfDue();
  }
}

int runningTimers() { return static_cast<int>(ManualTimer::running().size()); }

CXX_DEFINE_CLASS(ManualTimer, "Quarvo::testing", "ManualTimer", Timer)
CXX_DEFINE_CLASS(TestConnection, "Quarvo::testing", "TestConnection", Connection)
CXX_DEFINE_CLASS(RecordingHandler, "Quarvo::testing", "RecordingHandler", Connection::Handler)

TestConnection* TestConnection::create(Handler* handler) {
  CXX::Ref<TestConnection> connection(CXX::alloc<TestConnection>());
  connection->setUp("127.0.0.1", 25681, handler);
  return connection.take();
}

bool TestConnection::connect() {
  ++connectCalls;
  if (open || !Connection::connect()) return false;
  open = connectAnswer;
  return connectAnswer;
}

void TestConnection::close() {
  open = false;
  Connection::close();
}

int64_t TestConnection::read(void* buffer, size_t size) {
  size_t n = std::min(size, incoming.size());
  std::copy(incoming.begin(), incoming.begin() + static_cast<std::ptrdiff_t>(n), static_cast<char*>(buffer));
  incoming.erase(0, n);
  return static_cast<int64_t>(n);
}

int64_t TestConnection::write(const void* bytes, size_t size) {
  if (writeResult <= 0) return writeResult;
  size_t n = writeLimit < 0 ? size : std::min(size, static_cast<size_t>(writeLimit));
  sent.append(static_cast<const char*>(bytes), n);
  return static_cast<int64_t>(n);
}

RecordingHandler* RecordingHandler::create() { return CXX::alloc<RecordingHandler>(); }

namespace {
std::string describe(const char* what, Message* message) {
  return std::string(what) + " " + std::to_string(message->type()) + "/" + std::to_string(message->code());
}
}  // namespace

void RecordingHandler::connectionChanged(Connection*, bool connected) { calls.push_back(connected ? "connected" : "closed"); }
void RecordingHandler::noticeReceived(Connection*, Message* message) { calls.push_back(describe("notice", message)); }
Message* RecordingHandler::requestReceived(Connection*, Message* message) {
  calls.push_back(describe("request", message));
  return reply ? reply(message) : nullptr;
}
void RecordingHandler::replyReceived(Connection*, Message* message) { calls.push_back(describe("reply", message)); }
void RecordingHandler::eventReceived(Connection*, Message* message) { calls.push_back(describe("event", message)); }

}  // namespace testing

Timer* Timer::create(double fireTime, double interval, Callback callback, CXX::Object* target) {
  CXX::Ref<testing::ManualTimer> timer(CXX::alloc<testing::ManualTimer>());
  timer->configure(fireTime, interval, callback, target);
  return timer.take();
}

double currentTime() { return testing::clockNow; }

}  // namespace Quarvo
