// Quarvo::Connection: send and receive paths, dispatch and the reconnect policy.
#include "Connection.h"

#include <cstdlib>
#include <cstring>

namespace Quarvo {

CXX_DEFINE_ABSTRACT_CLASS(Connection, "Quarvo", "Connection", CXX::Object, "Quarvo:: Connection")
CXX_DEFINE_ABSTRACT_CLASS(Connection::Handler, "Quarvo::Connection", "Handler", CXX::Object,
                          "Quarvo::Connection:: Handler")

void Connection::setUp(const char* host, uint16_t port, Handler* handler) {
  CXX_REQUIRE(host);
  size_t size = std::strlen(host) + 1;
  host_ = static_cast<char*>(std::malloc(size));
  if (host_ == nullptr) throw std::bad_alloc();
  std::memcpy(host_, host, size);
  port_ = port;
  CXX::assignRetained(handler_, handler);
  receiveQueue_ = RingBuffer::create();
  sendQueue_ = RingBuffer::create();
}

Connection::~Connection() {
  CXX::releaseAndClear(sendQueue_);
  CXX::releaseAndClear(receiveQueue_);
  CXX::releaseAndClear(handler_);
  std::free(host_);
}

bool Connection::connect() { return host_ != nullptr && port_ != 0; }

void Connection::close() {
  if (receiveQueue_) receiveQueue_->drop(receiveQueue_->size());
  if (sendQueue_) sendQueue_->drop(sendQueue_->size());
}

void Connection::start() {
  if (!connect()) scheduleReconnect();
}

void Connection::send(Message* message) {
  uint8_t header[frame::kHeaderSize];
  message->encodeHeader(header);
  sendQueue_->write(header, sizeof header);
  if (CXX::Buffer* payload = message->payload()) sendQueue_->write(payload->bytes(), payload->length());
  flush();
}

void Connection::flush() {
  while (sendQueue_->size() > 0) {
    uint64_t length = 0;
    const uint8_t* run = sendQueue_->frontRun(&length);
    int64_t sent = write(run, static_cast<size_t>(length));
    // 0: the socket is full for now; the rest goes when it says it can take more.
    if (sent == 0) return;
    if (sent < 0) {
      drop(true);
      return;
    }
    sendQueue_->drop(static_cast<uint64_t>(sent));
  }
}

void Connection::deliver(Message* message) {
  if (handler_ == nullptr) return;
  if (message->type() == frame::kTypeProxyChanged) {
    handler_->noticeReceived(this, message);
  } else if (message->event()) {
    handler_->eventReceived(this, message);
  } else if (message->type() == frame::kTypeReply) {
    handler_->replyReceived(this, message);
  } else if (Message* reply = handler_->requestReceived(this, message)) {
    CXX::Ref<Message> owned(reply);
    send(reply);
  }
}

void Connection::dispatch() {
  try {
    while (Message* next = nextMessage(receiveQueue_)) {
      CXX::Ref<Message> message(next);
      deliver(message.get());
    }
  } catch (const std::exception&) {
    // A bad frame or a failed delivery: start over on a new connection, quietly.
    drop(false);
  }
}

void Connection::handleSocketEvent(int event, int error) {
  // Called from the platform's event procedure: nothing may escape from here.
  try {
    switch (event) {
      case kEventRead: {
        uint8_t buffer[kReadChunk];
        int64_t received = read(buffer, sizeof buffer);
        if (received <= 0) return;
        receiveQueue_->write(buffer, static_cast<uint64_t>(received));
        dispatch();
        return;
      }
      case kEventWrite:
        flush();
        return;
      case kEventConnect:
        if (error == 0) {
          if (handler_) handler_->connectionChanged(this, true);
          return;
        }
        drop(true);
        return;
      case kEventClose:
        drop(true);
        return;
      default:
        return;
    }
  } catch (const std::exception&) {
    drop(false);
  }
}

void Connection::drop(bool tell) {
  close();
  // The handler may in turn fail; the connection is closed and retried regardless.
  if (tell && handler_) {
    try {
      handler_->connectionChanged(this, false);
    } catch (const std::exception&) {
    }
  }
  if (reconnectTimer_ == nullptr) scheduleReconnect();
}

void Connection::scheduleReconnect() {
  if (reconnectTimer_) return;
  reconnectTimer_ = Timer::create(currentTime() + kReconnectInterval, kReconnectInterval, &Connection::reconnectFired, this);
  reconnectTimer_->start();
}

void Connection::reconnectFired(Timer*, CXX::Object* target) {
  auto* connection = static_cast<Connection*>(target);
  if (connection == nullptr) return;
  bool underWay = false;
  try {
    underWay = connection->connect();
  } catch (const std::exception&) {
  }
  if (!underWay) return;
  Timer* timer = connection->reconnectTimer_;
  connection->reconnectTimer_ = nullptr;
  timer->stop();
  timer->release();
}

void Connection::shutDown() {
  close();
  if (reconnectTimer_) {
    reconnectTimer_->stop();
    CXX::releaseAndClear(reconnectTimer_);
  }
}

void Connection::dealloc() {
  shutDown();
  CXX::Object::dealloc();
}

}  // namespace Quarvo
