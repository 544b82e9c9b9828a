// Watches programs start and end and asks its delegate whether each may run. The Windows
// monitor (WindowsApplicationMonitor) subscribes to WMI process events on the queue thread.
#pragma once

#include <cstdint>

namespace Quarvo {

class ApplicationMonitor {
 public:
  // Told of every start and end, always on the queue thread. Texts are NUL-terminated UTF-16.
  class Delegate {
   public:
    virtual ~Delegate() = default;
    // False has the program terminated.
    virtual bool shouldStartApplication(std::uint32_t processId, const char16_t* name, const char16_t* user) = 0;
    virtual void didStartApplication(std::uint32_t processId, const char16_t* name, const char16_t* user) = 0;
    virtual void didStopApplication(std::uint32_t processId) = 0;
  };

  virtual ~ApplicationMonitor() = default;
  virtual void start() = 0;
  virtual void stop() = 0;
};

}  // namespace Quarvo
