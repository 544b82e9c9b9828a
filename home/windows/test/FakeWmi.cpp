#include "FakeWmi.h"

namespace Quarvo::testing {

namespace {

constexpr UINT kRunWork = WM_APP + 1;

LRESULT CALLBACK deliveryWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRunWork) return DefWindowProcW(window, message, wParam, lParam);
  (*reinterpret_cast<const std::function<void()>*>(lParam))();
  return 0;
}

const wchar_t* deliveryClass() {
  static const bool registered = [] {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = deliveryWindowProcedure;
    windowClass.lpszClassName = L"Quarvo::FakeWmiDelivery";
    return RegisterClassW(&windowClass) != 0;
  }();
  return registered ? L"Quarvo::FakeWmiDelivery" : nullptr;
}

std::mutex lastMutex;
FakeServices* lastServices = nullptr;

}  // namespace

Owned<FakeWbemObject> FakeWbemObject::make() { return Owned<FakeWbemObject>(new FakeWbemObject()); }

FakeWbemObject::~FakeWbemObject() {
  for (auto& property : properties_) VariantClear(&property.second);
  if (signature_ != nullptr) signature_->Release();
  if (spawned_ != nullptr) spawned_->Release();
}

void FakeWbemObject::set(const std::wstring& name, const VARIANT& value) {
  std::lock_guard<std::mutex> lock(mutex_);
  VARIANT& slot = properties_[name];
  VariantClear(&slot);
  VariantInit(&slot);
  VariantCopy(&slot, const_cast<VARIANT*>(&value));
}

void FakeWbemObject::setI4(const std::wstring& name, LONG value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  set(name, v);
}

void FakeWbemObject::setText(const std::wstring& name, const std::wstring& value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
  set(name, v);
  VariantClear(&v);
}

void FakeWbemObject::setObject(const std::wstring& name, IUnknown* value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_UNKNOWN;
  V_UNKNOWN(&v) = value;
  set(name, v);  // VariantCopy takes its own reference
}

void FakeWbemObject::setMethod(HRESULT status, IWbemClassObject* signature) {
  std::lock_guard<std::mutex> lock(mutex_);
  methodStatus_ = status;
  if (signature != nullptr) signature->AddRef();
  if (signature_ != nullptr) signature_->Release();
  signature_ = signature;
}

LONG FakeWbemObject::i4(const std::wstring& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = properties_.find(name);
  if (it == properties_.end() || V_VT(&it->second) != VT_I4) return -1;
  return V_I4(&it->second);
}

HRESULT FakeWbemObject::QueryInterface(REFIID id, void** object) {
  if (id == IID_IUnknown || id == IID_IWbemClassObject) {
    *object = static_cast<IWbemClassObject*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG FakeWbemObject::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT FakeWbemObject::Get(LPCWSTR name, LONG, VARIANT* value, CIMTYPE* type, LONG* flavor) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = properties_.find(name);
  if (it == properties_.end()) return wmiStatus(WBEM_E_NOT_FOUND);
  VariantInit(value);
  if (type != nullptr) *type = 0;
  if (flavor != nullptr) *flavor = 0;
  return VariantCopy(value, &it->second);
}

HRESULT FakeWbemObject::Put(LPCWSTR name, LONG, VARIANT* value, CIMTYPE) {
  if (value == nullptr) return E_POINTER;
  set(name, *value);
  return S_OK;
}

HRESULT FakeWbemObject::SpawnInstance(LONG, IWbemClassObject** instance) {
  FakeWbemObject* made = make().release();
  std::lock_guard<std::mutex> lock(mutex_);
  if (spawned_ != nullptr) spawned_->Release();
  made->AddRef();
  spawned_ = made;
  *instance = made;
  return S_OK;
}

HRESULT FakeWbemObject::GetMethod(LPCWSTR, LONG, IWbemClassObject** in, IWbemClassObject** out) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (out != nullptr) *out = nullptr;
  if (FAILED(methodStatus_)) return methodStatus_;
  if (signature_ != nullptr) signature_->AddRef();
  *in = signature_;
  return methodStatus_;
}

HRESULT FakeServices::connect(IWbemServices** services) {
  auto* made = new FakeServices();
  {
    std::lock_guard<std::mutex> lock(lastMutex);
    if (lastServices != nullptr) lastServices->Release();
    made->AddRef();
    lastServices = made;
  }
  *services = made;
  return S_OK;
}

Owned<FakeServices> FakeServices::last() {
  std::lock_guard<std::mutex> lock(lastMutex);
  if (lastServices != nullptr) lastServices->AddRef();
  return Owned<FakeServices>(lastServices);
}

void FakeServices::forgetLast() {
  std::lock_guard<std::mutex> lock(lastMutex);
  if (lastServices != nullptr) lastServices->Release();
  lastServices = nullptr;
}

FakeServices::FakeServices() {
  if (const wchar_t* name = deliveryClass()) {
    window_ = CreateWindowExW(0, name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
}

FakeServices::~FakeServices() {
  for (Subscription& s : subscriptions_) {
    if (s.sink != nullptr) s.sink->Release();
  }
  // Only the creating thread can destroy the window; elsewhere it goes with that thread.
  if (window_ != nullptr) DestroyWindow(window_);
}

HRESULT FakeServices::QueryInterface(REFIID id, void** object) {
  if (id == IID_IUnknown || id == IID_IWbemServices) {
    *object = static_cast<IWbemServices*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG FakeServices::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

std::vector<FakeServices::Subscription> FakeServices::subscriptions() {
  std::lock_guard<std::mutex> lock(mutex_);
  return subscriptions_;
}

std::vector<FakeServices::MethodCall> FakeServices::methodCalls() {
  std::lock_guard<std::mutex> lock(mutex_);
  return methodCalls_;
}

int FakeServices::cancels() {
  std::lock_guard<std::mutex> lock(mutex_);
  return cancels_;
}

void FakeServices::onQueueThread(const std::function<void()>& work) {
  SendMessageW(window_, kRunWork, 0, reinterpret_cast<LPARAM>(&work));
}

void FakeServices::afterPostedMessages() {
  HANDLE handled = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const std::function<void()> work = [handled] { SetEvent(handled); };
  // No time-out: the work lives on this stack until the queue thread has run it.
  if (PostMessageW(window_, kRunWork, 0, reinterpret_cast<LPARAM>(&work))) WaitForSingleObject(handled, INFINITE);
  CloseHandle(handled);
}

IWbemObjectSink* FakeServices::sinkFor(const std::wstring& queryPart) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const Subscription& s : subscriptions_) {
    if (s.query.find(queryPart) != std::wstring::npos) return s.sink;
  }
  return nullptr;
}

HRESULT FakeServices::indicate(const std::wstring& queryPart, IWbemClassObject* object) {
  IWbemObjectSink* sink = sinkFor(queryPart);
  if (sink == nullptr) return E_FAIL;
  HRESULT status = E_FAIL;
  onQueueThread([&] { status = sink->Indicate(1, &object); });
  return status;
}

HRESULT FakeServices::setStatus(const std::wstring& queryPart, LONG flags, HRESULT result) {
  IWbemObjectSink* sink = sinkFor(queryPart);
  if (sink == nullptr) return E_FAIL;
  HRESULT status = E_FAIL;
  onQueueThread([&] { status = sink->SetStatus(flags, result, nullptr, nullptr); });
  return status;
}

HRESULT FakeServices::subscribe(const BSTR query, bool notification, IWbemObjectSink* sink) {
  if (sink == nullptr || query == nullptr) return wmiStatus(WBEM_E_INVALID_PARAMETER);
  sink->AddRef();
  std::lock_guard<std::mutex> lock(mutex_);
  subscriptions_.push_back(Subscription{query, notification, sink, false});
  return S_OK;
}

HRESULT FakeServices::ExecQueryAsync(const BSTR, const BSTR query, LONG, IWbemContext*, IWbemObjectSink* sink) {
  return subscribe(query, false, sink);
}

HRESULT FakeServices::ExecNotificationQueryAsync(const BSTR, const BSTR query, LONG, IWbemContext*,
                                                 IWbemObjectSink* sink) {
  return subscribe(query, true, sink);
}

HRESULT FakeServices::CancelAsyncCall(IWbemObjectSink* sink) {
  if (statusInsideCancel) sink->SetStatus(WBEM_STATUS_COMPLETE, wmiStatus(WBEM_E_CALL_CANCELLED), nullptr, nullptr);
  std::lock_guard<std::mutex> lock(mutex_);
  ++cancels_;
  for (Subscription& s : subscriptions_) {
    if (s.sink == sink) s.cancelled = true;
  }
  return S_OK;
}

HRESULT FakeServices::GetObject(const BSTR, LONG, IWbemContext*, IWbemClassObject** object, IWbemCallResult**) {
  Owned<FakeWbemObject> signature = FakeWbemObject::make();
  Owned<FakeWbemObject> processClass = FakeWbemObject::make();
  processClass->setMethod(getMethodStatus, signature.get());
  *object = processClass.release();
  return S_OK;
}

HRESULT FakeServices::ExecMethod(const BSTR path, const BSTR method, LONG, IWbemContext*, IWbemClassObject* in,
                                 IWbemClassObject** out, IWbemCallResult**) {
  MethodCall call{path == nullptr ? L"" : path, method == nullptr ? L"" : method, -1};
  VARIANT reason;
  VariantInit(&reason);
  if (in != nullptr && SUCCEEDED(in->Get(L"Reason", 0, &reason, nullptr, nullptr)) && V_VT(&reason) == VT_I4) {
    call.reason = V_I4(&reason);
  }
  VariantClear(&reason);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    methodCalls_.push_back(call);
  }
  if (FAILED(execMethodStatus)) return execMethodStatus;
  Owned<FakeWbemObject> result = FakeWbemObject::make();
  result->setI4(L"ReturnValue", returnValue);
  *out = result.release();
  return S_OK;
}

Owned<FakeWbemObject> processEvent(IUnknown* process) {
  Owned<FakeWbemObject> event = FakeWbemObject::make();
  event->setObject(L"TargetInstance", process);
  return event;
}

}  // namespace Quarvo::testing
