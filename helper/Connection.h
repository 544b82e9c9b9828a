// Quarvo::Connection: the helper's one TCP connection to the service, driven by socket
// events on the helper's thread. Frames go out through the send queue and come in through
// the receive queue (Message.h); lost connections are retried every 10 seconds by a timer.
// The socket itself is the platform's (WinSockConnection); this class holds the protocol.
#pragma once

#include <cstdint>

#include "CXXRuntime/CXXBase"
#include "Message.h"
#include "RingBuffer.h"
#include "Timer.h"

namespace Quarvo {

class Connection : public CXX::Object {
  CXX_DECLARE_CLASS(Connection)

 public:
  // Receives the connection's events and messages, on the helper's thread.
  class Handler : public CXX::Object {
    CXX_DECLARE_CLASS(Handler)

   public:
    virtual void connectionChanged(Connection*, bool /*connected*/) {}
    virtual void noticeReceived(Connection*, Message*) {}
    // A returned reply (owned by the caller) is sent at once.
    virtual Message* requestReceived(Connection*, Message*) { return nullptr; }
    virtual void replyReceived(Connection*, Message*) {}
    virtual void eventReceived(Connection*, Message*) {}

   protected:
    Handler() = default;
  };

  // Socket events, as Windows numbers them.
  static constexpr int kEventRead = 1;
  static constexpr int kEventWrite = 2;
  static constexpr int kEventConnect = 16;
  static constexpr int kEventClose = 32;
  static constexpr double kReconnectInterval = 10.0;
  static constexpr size_t kReadChunk = 2048;

  // Sets host, port, handler and fresh queues (for create functions of subclasses).
  void setUp(const char* host, uint16_t port, Handler* handler);

  // Starts an attempt to connect; true when one is under way (its outcome arrives as
  // kEventConnect). The base only checks that host and port are set.
  virtual bool connect();
  // Closes the socket. Both queues are emptied: a new connection must not start with a bad
  // frame or the unsent tail of a half-sent one.
  virtual void close();
  // Socket reads and writes: bytes moved, 0 when the socket would block, negative on error.
  virtual int64_t read(void* buffer, size_t size) = 0;
  virtual int64_t write(const void* bytes, size_t size) = 0;

  // Connects now, or when that cannot get under way, schedules retries.
  void start();
  // Closes and stops retrying. The reconnect timer holds the connection, so its owner calls
  // this before letting go.
  void shutDown();
  void send(Message* message);
  void flush();
  void dispatch();
  // The platform's event procedure calls this; it never throws.
  void handleSocketEvent(int event, int error);

  const char* host() const { return host_; }
  uint16_t port() const { return port_; }
  Handler* handler() const { return handler_; }
  Timer* reconnectTimer() const { return reconnectTimer_; }
  RingBuffer* receiveQueue() const { return receiveQueue_; }
  RingBuffer* sendQueue() const { return sendQueue_; }

  void dealloc() override;

 protected:
  Connection() = default;
  ~Connection() override;

 private:
  static void reconnectFired(Timer* timer, CXX::Object* target);
  // Closes and schedules retries (unless already scheduled); the handler is told when
  // `tell` is set.
  void drop(bool tell);
  void scheduleReconnect();
  void deliver(Message* message);

  char* host_ = nullptr;
  uint16_t port_ = 0;
  Timer* reconnectTimer_ = nullptr;
  Handler* handler_ = nullptr;
  RingBuffer* receiveQueue_ = nullptr;
  RingBuffer* sendQueue_ = nullptr;
};

}  // namespace Quarvo
