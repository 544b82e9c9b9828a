// Test-only WMI: a class object with scripted properties and methods, and a services object
// that takes the monitor's subscriptions itself and delivers events on the thread that made
// them (the queue thread) when a test asks. Wine's WMI cannot deliver process events, name
// executables or terminate through "Terminate"; these stand in for what it lacks.
#pragma once

#include <windows.h>
#include <wbemidl.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "WmiTermination.h"

namespace Quarvo::testing {

using Quarvo::wmiStatus;
constexpr HRESULT kNotSupported = wmiStatus(WBEM_E_NOT_SUPPORTED);

struct Releaser {
  void operator()(IUnknown* object) const {
    if (object != nullptr) object->Release();
  }
};
template <class T>
using Owned = std::unique_ptr<T, Releaser>;

// COM interfaces declare no destructor: these objects are deleted only by their own Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class FakeWbemObject : public IWbemClassObject {
 public:
  static Owned<FakeWbemObject> make();

  void set(const std::wstring& name, const VARIANT& value);
  void setI4(const std::wstring& name, LONG value);
  void setText(const std::wstring& name, const std::wstring& value);
  void setObject(const std::wstring& name, IUnknown* value);
  // GetMethod answers `status` and hands out `signature` (may be null).
  void setMethod(HRESULT status, IWbemClassObject* signature);
  // The instance SpawnInstance made last, to read what the caller put in it.
  FakeWbemObject* spawned() const { return spawned_; }
  LONG i4(const std::wstring& name) const;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG, VARIANT* value, CIMTYPE* type, LONG* flavor) override;
  HRESULT STDMETHODCALLTYPE Put(LPCWSTR name, LONG, VARIANT* value, CIMTYPE) override;
  HRESULT STDMETHODCALLTYPE SpawnInstance(LONG, IWbemClassObject** instance) override;
  HRESULT STDMETHODCALLTYPE GetMethod(LPCWSTR name, LONG, IWbemClassObject** in, IWbemClassObject** out) override;
  HRESULT STDMETHODCALLTYPE GetQualifierSet(IWbemQualifierSet **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE Delete(LPCWSTR) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE GetNames(LPCWSTR, LONG, VARIANT *, SAFEARRAY **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE BeginEnumeration(LONG) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE Next(LONG, BSTR *, VARIANT *, CIMTYPE *, LONG *) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE EndEnumeration() override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE Clone(IWbemClassObject **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE GetObjectText(LONG, BSTR *) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE SpawnDerivedClass(LONG, IWbemClassObject **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE CompareTo(LONG, IWbemClassObject *) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE GetPropertyOrigin(LPCWSTR, BSTR *) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE InheritsFrom(LPCWSTR) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE PutMethod(LPCWSTR, LONG, IWbemClassObject *, IWbemClassObject *) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE DeleteMethod(LPCWSTR) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE BeginMethodEnumeration(LONG) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE NextMethod(LONG, BSTR *, IWbemClassObject **, IWbemClassObject **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE EndMethodEnumeration() override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE GetMethodOrigin(LPCWSTR, BSTR *) override { return kNotSupported; }

 private:
  FakeWbemObject() = default;
  virtual ~FakeWbemObject();

  std::atomic<ULONG> references_{1};
  mutable std::mutex mutex_;
  std::map<std::wstring, VARIANT> properties_;
  HRESULT methodStatus_ = kNotSupported;
  IWbemClassObject* signature_ = nullptr;
  FakeWbemObject* spawned_ = nullptr;
};

class FakeServices : public IWbemServices {
 public:
  struct Subscription {
    std::wstring query;
    bool notification = false;
    IWbemObjectSink* sink = nullptr;  // held until the fake goes
    bool cancelled = false;
  };
  struct MethodCall {
    std::wstring path;
    std::wstring method;
    LONG reason = -1;
  };

  // The services the monitor connects to next; made on the monitor's (queue) thread.
  static HRESULT connect(IWbemServices** services);
  // The fake the last connect made (a reference for the test), null before.
  static Owned<FakeServices> last();
  static void forgetLast();

  // Script: what termination through WMI meets.
  HRESULT getMethodStatus = S_OK;
  HRESULT execMethodStatus = S_OK;
  LONG returnValue = 0;
  // Cancelling a call first reports it complete-with-cancel to its sink, as WMI may.
  bool statusInsideCancel = false;

  std::vector<Subscription> subscriptions();
  std::vector<MethodCall> methodCalls();
  int cancels();

  // Runs `work` on the thread that made the fake, as WMI delivers to an apartment.
  void onQueueThread(const std::function<void()>& work);
  // Returns once the queue thread has handled every message posted to it before the call (a
  // stop, say). onQueueThread cannot promise that: a sent message overtakes posted ones.
  void afterPostedMessages();
  // Deliveries to the sink of the subscription whose query contains `queryPart`.
  HRESULT indicate(const std::wstring& queryPart, IWbemClassObject* object);
  HRESULT setStatus(const std::wstring& queryPart, LONG flags, HRESULT result);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CancelAsyncCall(IWbemObjectSink* sink) override;
  HRESULT STDMETHODCALLTYPE GetObject(const BSTR path, LONG, IWbemContext*, IWbemClassObject** object,
                                      IWbemCallResult**) override;
  HRESULT STDMETHODCALLTYPE ExecQueryAsync(const BSTR, const BSTR query, LONG, IWbemContext*,
                                           IWbemObjectSink* sink) override;
  HRESULT STDMETHODCALLTYPE ExecNotificationQueryAsync(const BSTR, const BSTR query, LONG, IWbemContext*,
                                                       IWbemObjectSink* sink) override;
  HRESULT STDMETHODCALLTYPE ExecMethod(const BSTR path, const BSTR method, LONG, IWbemContext*, IWbemClassObject* in,
                                       IWbemClassObject** out, IWbemCallResult**) override;
  HRESULT STDMETHODCALLTYPE OpenNamespace(const BSTR, LONG, IWbemContext *, IWbemServices **, IWbemCallResult **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE QueryObjectSink(LONG, IWbemObjectSink **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE GetObjectAsync(const BSTR, LONG, IWbemContext *, IWbemObjectSink *) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE PutClass(IWbemClassObject *, LONG, IWbemContext *, IWbemCallResult **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE PutClassAsync(IWbemClassObject *, LONG, IWbemContext *, IWbemObjectSink *) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE DeleteClass(const BSTR, LONG, IWbemContext *, IWbemCallResult **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE DeleteClassAsync(const BSTR, LONG, IWbemContext *, IWbemObjectSink *) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE CreateClassEnum(const BSTR, LONG, IWbemContext *, IEnumWbemClassObject **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE CreateClassEnumAsync(const BSTR, LONG, IWbemContext *, IWbemObjectSink *) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE PutInstance(IWbemClassObject *, LONG, IWbemContext *, IWbemCallResult **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE PutInstanceAsync(IWbemClassObject *, LONG, IWbemContext *, IWbemObjectSink *) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE DeleteInstance(const BSTR, LONG, IWbemContext *, IWbemCallResult **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE DeleteInstanceAsync(const BSTR, LONG, IWbemContext *, IWbemObjectSink *) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE CreateInstanceEnum(const BSTR, LONG, IWbemContext *, IEnumWbemClassObject **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext *, IWbemObjectSink *) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE ExecQuery(const BSTR, const BSTR, LONG, IWbemContext *, IEnumWbemClassObject **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext *, IEnumWbemClassObject **) override { return kNotSupported; }
  HRESULT STDMETHODCALLTYPE ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext *, IWbemClassObject *, IWbemObjectSink *) override { return kNotSupported; }

 private:
  FakeServices();
  virtual ~FakeServices();
  IWbemObjectSink* sinkFor(const std::wstring& queryPart);
  HRESULT subscribe(const BSTR query, bool notification, IWbemObjectSink* sink);

  std::atomic<ULONG> references_{1};
  std::mutex mutex_;
  std::vector<Subscription> subscriptions_;
  std::vector<MethodCall> methodCalls_;
  int cancels_ = 0;
  HWND window_ = nullptr;
};

#pragma GCC diagnostic pop

// A process event as WMI delivers it: the process object as "TargetInstance".
Owned<FakeWbemObject> processEvent(IUnknown* process);

}  // namespace Quarvo::testing
