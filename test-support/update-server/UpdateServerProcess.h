// Test fixture: runs the reference update server (update_server.py) on a free loopback port
// for the life of the object, and talks to its control endpoints.
#pragma once

#include <string>
#include <sys/types.h>

namespace quarvo::testing {

class UpdateServerProcess {
 public:
  // Serves the lists under root (<root>/<type>/list.kiv, <root>/<type>/patches/).
  explicit UpdateServerProcess(const std::string& root);
  ~UpdateServerProcess();
  UpdateServerProcess(const UpdateServerProcess&) = delete;
  UpdateServerProcess& operator=(const UpdateServerProcess&) = delete;

  int port() const { return port_; }
  std::string updateUrl() const;
  // Sets the misbehaviour mode (a JSON object, "{}" for none) and forgets earlier requests.
  void setMode(const std::string& json);
  // The POST bodies received since the last setMode, as a JSON list.
  std::string requests();
  // Ends the server at once, as a crash would.
  void kill();

 private:
  std::string call(const std::string& path, const std::string* body);

  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace quarvo::testing
