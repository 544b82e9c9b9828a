// Fuzzes the session helper's receive path: arbitrary bytes in arbitrary chunks through the
// receive queue, the frame parser and dispatch to the helper's handler.
//
// Input: the first byte picks the chunk size (1-256 bytes); the rest arrives from the
// "service". Bad frames must end quietly in a closed connection and a scheduled retry; a
// crash, a sanitizer report or an exception out of the event handler is a finding, and so is
// a receive queue holding more than one partial frame plus one read (24 + 32768 + 2048).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "test_doubles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace Quarvo;
  if (size == 0) return 0;
  size_t chunk = static_cast<size_t>(data[0]) + 1;
  CXX::Ref<testing::RecordingHandler> handler(testing::RecordingHandler::create());
  handler->reply = [](Message* request) {
    return request->code() == 7 ? Message::create(0, 1, 1, 0, request->payload()) : nullptr;
  };
  CXX::Ref<testing::TestConnection> connection(testing::TestConnection::create(handler.get()));
  connection->start();
  for (size_t at = 1; at < size; at += chunk) {
    if (!connection->open) {
      testing::advanceClock(10);  // the retry connects again
      if (!connection->open) std::abort();
    }
    connection->incoming.assign(reinterpret_cast<const char*>(data + at), std::min(chunk, size - at));
    while (!connection->incoming.empty()) connection->handleSocketEvent(Connection::kEventRead, 0);
    if (connection->receiveQueue()->size() > 24 + 32768 + 2048) std::abort();
  }
  connection->shutDown();
  return 0;
}
