#include "WindowsApplicationMonitor.h"

#include <windows.h>

#include <atomic>
#include <new>
#include <string>

#include "ObjectSinks.h"
#include "PackageFamily.h"
#include "ProcessOwner.h"
#include "ScopedHandle.h"
#include "WmiTermination.h"
#include "WmiValues.h"

namespace Quarvo {

namespace {

constexpr LONG kSendStatus = WBEM_FLAG_SEND_STATUS;  // 0x80
constexpr std::size_t kUserCapacity = 128;

const wchar_t kCreationQuery[] =
    L"SELECT * FROM __InstanceCreationEvent WITHIN 0.5 WHERE TargetInstance ISA 'Win32_Process'";
const wchar_t kDeletionQuery[] =
    L"SELECT * FROM __InstanceDeletionEvent WITHIN 1 WHERE TargetInstance ISA 'Win32_Process'";
const wchar_t kRunningQuery[] = L"SELECT * FROM Win32_Process";


// "pkg:" and the family name of a store application; empty for a desktop one.
std::wstring storeApplicationName(HANDLE process) {
  uint32_t length = 0;
  if (packageFamilyNameOf(process, &length, nullptr) != ERROR_INSUFFICIENT_BUFFER) return {};
  std::wstring name(length + 4, L'\0');
  name.replace(0, 4, L"pkg:");
  if (packageFamilyNameOf(process, &length, &name[4]) != ERROR_SUCCESS) return {};
  name.resize(4 + wcslen(&name[4]));
  return name;
}

std::wstring executablePath(IWbemClassObject* process) {
  ScopedVariant value;
  if (FAILED(process->Get(L"ExecutablePath", 0, value.get(), nullptr, nullptr))) return {};
  if (V_VT(value.get()) != VT_BSTR || V_BSTR(value.get()) == nullptr) return {};
  return std::wstring(V_BSTR(value.get()), SysStringLen(V_BSTR(value.get())));
}

// The service compares names lower-cased: only A to Z change, as the C locale does.
void lowerCase(std::wstring& name) {
  for (wchar_t& c : name) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
}

std::atomic<WindowsApplicationMonitor::Connect> connectOverride{nullptr};

const char16_t* utf16(const std::wstring& text) { return reinterpret_cast<const char16_t*>(text.c_str()); }

}  // namespace

void WindowsApplicationMonitor::setConnectForTesting(Connect connect) { connectOverride = connect; }

WindowsApplicationMonitor::Connect WindowsApplicationMonitor::connectForNewMonitors() {
  Connect connect = connectOverride;
  return connect != nullptr ? connect : connectWithLocator;
}

HRESULT WindowsApplicationMonitor::connectWithLocator(IWbemServices** services) {
  shellkit::ComRef<IWbemLocator> locator;
  HRESULT status = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                    locator.receiveVoid());
  if (FAILED(status)) return status;
  ScopedBstr space(L"ROOT\\CIMV2");
  if (!space) return E_OUTOFMEMORY;
  return locator->ConnectServer(space.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services);
}

WindowsApplicationMonitor::~WindowsApplicationMonitor() { stop(); }

HRESULT WindowsApplicationMonitor::subscribe(ObjectSink* sink, const wchar_t* query, bool notification) {
  ScopedBstr language(L"WQL");
  ScopedBstr text(query);
  if (!language || !text) return E_OUTOFMEMORY;
  if (notification) return services_->ExecNotificationQueryAsync(language.get(), text.get(), kSendStatus, nullptr, sink);
  return services_->ExecQueryAsync(language.get(), text.get(), kSendStatus, nullptr, sink);
}

void WindowsApplicationMonitor::start() {
  if (services_ != nullptr || FAILED(connect_(&services_)) || services_ == nullptr) return;
  creation_ = new (std::nothrow) AppEventListener(this, true);
  if (creation_ == nullptr) return;
  creation_->AddRef();
  if (FAILED(subscribe(creation_, kCreationQuery, true))) return;
  deletion_ = new (std::nothrow) AppEventListener(this, false);
  if (deletion_ == nullptr) return;
  deletion_->AddRef();
  if (FAILED(subscribe(deletion_, kDeletionQuery, true))) return;
  query_ = new (std::nothrow) AppQuery(this);
  if (query_ == nullptr) return;
  query_->AddRef();
  subscribe(query_, kRunningQuery, false);
}

// Detached first: a status WMI delivers while cancelling (even inside the cancel) must not
// reach a monitor that is letting go of the sink.
void WindowsApplicationMonitor::cancel(ObjectSink*& sink) {
  if (sink == nullptr) return;
  ObjectSink* leaving = sink;
  sink = nullptr;
  leaving->detach();
  services_->CancelAsyncCall(leaving);
  leaving->Release();
}

void WindowsApplicationMonitor::stop() {
  if (services_ == nullptr) return;
  cancel(query_);
  cancel(deletion_);
  cancel(creation_);
  services_->Release();
  services_ = nullptr;
}

void WindowsApplicationMonitor::initialListComplete() {
  if (query_ == nullptr) return;
  ObjectSink* done = query_;
  query_ = nullptr;
  done->detach();
  done->Release();
}

void WindowsApplicationMonitor::processStopped(std::uint32_t processId) { delegate_->didStopApplication(processId); }

void WindowsApplicationMonitor::handleProcessStart(std::uint32_t processId, IWbemClassObject* process) {
  std::wstring name;
  wchar_t user[kUserCapacity] = L"";
  {
    ScopedHandle handle(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (!handle) return;
    name = storeApplicationName(handle.get());
    if (name.empty()) name = executablePath(process);
    if (!processOwnerName(handle.get(), user, kUserCapacity)) user[0] = 0;
  }
  if (name.empty()) return;
  lowerCase(name);
  std::wstring owner(user);
  if (delegate_->shouldStartApplication(processId, utf16(name), utf16(owner))) {
    delegate_->didStartApplication(processId, utf16(name), utf16(owner));
    return;
  }
  if (SUCCEEDED(terminateThroughWmi(process))) return;
  ScopedHandle victim(OpenProcess(PROCESS_TERMINATE, FALSE, processId));
  if (victim) TerminateProcess(victim.get(), 0);
}

HRESULT WindowsApplicationMonitor::terminateThroughWmi(IWbemClassObject* process) {
  if (services_ == nullptr) return E_UNEXPECTED;
  ScopedVariant path;
  HRESULT status = process->Get(L"__PATH", 0, path.get(), nullptr, nullptr);
  if (FAILED(status)) return status;
  if (V_VT(path.get()) != VT_BSTR) return wmiStatus(WBEM_E_TYPE_MISMATCH);
  shellkit::ComRef<IWbemClassObject> input;
  status = prepareTerminateInput(services_, &input);
  if (FAILED(status)) return status;
  return terminateAt(services_, V_BSTR(path.get()), input.get());
}

}  // namespace Quarvo
