// Watches process starts and ends through WMI event subscriptions and has refused programs
// terminated. Lives on the queue thread (single-threaded apartment), where WMI delivers its
// sink calls through the message loop.
#pragma once

#include <wbemidl.h>

#include <cstdint>

#include "ApplicationMonitor.h"

namespace Quarvo {

class ObjectSink;

class WindowsApplicationMonitor : public ApplicationMonitor {
 public:
  // How the monitor reaches WMI: the shipped one connects a locator to "ROOT\\CIMV2".
  using Connect = HRESULT (*)(IWbemServices** services);
  static HRESULT connectWithLocator(IWbemServices** services);

  explicit WindowsApplicationMonitor(Delegate* delegate) : delegate_(delegate), connect_(connectForNewMonitors()) {}
  // Tests put their own WMI behind monitors made from now on; null restores the locator.
  static void setConnectForTesting(Connect connect);
  ~WindowsApplicationMonitor() override;
  WindowsApplicationMonitor(const WindowsApplicationMonitor&) = delete;
  WindowsApplicationMonitor& operator=(const WindowsApplicationMonitor&) = delete;

  void start() override;
  void stop() override;

  // A process that started (or was running when the monitor started): ask, then report or end it.
  void handleProcessStart(std::uint32_t processId, IWbemClassObject* process);
  // Terminate through WMI: an error status when any step failed or Terminate refused.
  HRESULT terminateThroughWmi(IWbemClassObject* process);
  void processStopped(std::uint32_t processId);
  // WMI finished listing the processes that were running at start.
  void initialListComplete();

 private:
  static Connect connectForNewMonitors();
  HRESULT subscribe(ObjectSink* sink, const wchar_t* query, bool notification);
  void cancel(ObjectSink*& sink);

  Delegate* delegate_;
  Connect connect_;
  ObjectSink* query_ = nullptr;
  ObjectSink* creation_ = nullptr;
  ObjectSink* deletion_ = nullptr;
  IWbemServices* services_ = nullptr;
};

}  // namespace Quarvo
