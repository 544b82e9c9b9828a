// The WMI sinks of the application monitor. A sink belongs to WMI as much as to its monitor
// (reference counted, freed with its last reference); `stop` detaches it before cancelling, so
// a call WMI still delivers after (or during) the cancel does nothing.
#pragma once

#include <wbemidl.h>

#include <atomic>

namespace Quarvo {

class WindowsApplicationMonitor;

// COM interfaces declare no destructor: sinks are deleted only by their own Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ObjectSink : public IWbemObjectSink {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  void detach() { monitor_ = nullptr; }

 protected:
  explicit ObjectSink(WindowsApplicationMonitor* monitor) : monitor_(monitor) {}
  virtual ~ObjectSink() = default;

  std::atomic<WindowsApplicationMonitor*> monitor_;

 private:
  std::atomic<ULONG> references_{0};
};
#pragma GCC diagnostic pop

// Process creation (or deletion) events: each carries the process as "TargetInstance".
class AppEventListener : public ObjectSink {
 public:
  AppEventListener(WindowsApplicationMonitor* monitor, bool creation) : ObjectSink(monitor), creation_(creation) {}
  HRESULT STDMETHODCALLTYPE Indicate(LONG count, IWbemClassObject** objects) override;
  HRESULT STDMETHODCALLTYPE SetStatus(LONG, HRESULT, BSTR, IWbemClassObject*) override { return WBEM_S_NO_ERROR; }

 private:
  bool creation_;
};

// The processes running when the monitor starts.
class AppQuery : public ObjectSink {
 public:
  explicit AppQuery(WindowsApplicationMonitor* monitor) : ObjectSink(monitor) {}
  HRESULT STDMETHODCALLTYPE Indicate(LONG count, IWbemClassObject** objects) override;
  HRESULT STDMETHODCALLTYPE SetStatus(LONG flags, HRESULT, BSTR, IWbemClassObject*) override;
};

}  // namespace Quarvo
