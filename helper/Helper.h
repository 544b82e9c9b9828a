// Quarvo::Helper: what the session helper does with its connection, independent of the
// platform: tell the service who is logged on, act on its requests (stop, notifications),
// and leave the platform to show, refresh and loop (WinHelper).
#pragma once

#include "Connection.h"

namespace Quarvo {

class Helper : public Connection::Handler {
  CXX_DECLARE_CLASS(Helper)

 public:
  static constexpr const char* kServiceHost = "127.0.0.1";
  static constexpr uint16_t kServicePort = 25681;

  void connectionChanged(Connection* connection, bool connected) override;
  Message* requestReceived(Connection* connection, Message* message) override;
  void eventReceived(Connection* connection, Message* message) override;

  virtual void start() = 0;
  virtual void run() = 0;
  virtual void stop() = 0;
  virtual void finish() = 0;
  virtual void eventHook() {}
  // The session user's name in the ANSI code page, without terminator (owned by the
  // caller), or null when there is none.
  virtual CXX::Buffer* copyUserName() = 0;
  // Shows title and body (UTF-8); 0 or a positive toast result when shown, else an error.
  virtual int showNotification(CXX::Buffer* title, CXX::Buffer* body) = 0;

  // Makes the connection to the service and starts connecting (retrying when it cannot).
  void createConnection();
  // Closes the connection, stops its retries and lets it go.
  void closeConnection();
  // Sends the "user name" message on connection.
  void sendUserName(Connection* connection);
  // Type 2: code 1 shows "title*body".
  void notificationReceived(Message* message);

  Connection* connection() const { return connection_; }

 protected:
  Helper() = default;
  // The platform's connection to host:port with this helper as handler (owned by caller).
  virtual Connection* openConnection(const char* host, uint16_t port) = 0;
  void dealloc() override;

 private:
  Connection* connection_ = nullptr;
};

}  // namespace Quarvo
