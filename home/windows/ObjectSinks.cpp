#include "ObjectSinks.h"

#include "WindowsApplicationMonitor.h"
#include "WmiValues.h"

namespace Quarvo {

HRESULT ObjectSink::QueryInterface(REFIID id, void** object) {
  if (object == nullptr) return E_POINTER;
  if (id == IID_IUnknown || id == IID_IWbemObjectSink) {
    *object = static_cast<IWbemObjectSink*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG ObjectSink::AddRef() { return ++references_; }

ULONG ObjectSink::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT AppEventListener::Indicate(LONG count, IWbemClassObject** objects) {
  WindowsApplicationMonitor* monitor = monitor_;
  if (monitor == nullptr || objects == nullptr) return WBEM_S_NO_ERROR;
  HRESULT status = WBEM_S_NO_ERROR;
  for (LONG i = 0; i < count; ++i) {
    shellkit::ComRef<IWbemClassObject> process;
    status = targetInstance(objects[i], &process);
    if (FAILED(status)) continue;
    std::uint32_t processId = 0;
    status = processIdOf(process.get(), &processId);
    if (FAILED(status)) continue;
    if (creation_) {
      monitor->handleProcessStart(processId, process.get());
    } else {
      monitor->processStopped(processId);
    }
  }
  return status;
}

HRESULT AppQuery::Indicate(LONG count, IWbemClassObject** objects) {
  WindowsApplicationMonitor* monitor = monitor_;
  if (monitor == nullptr || objects == nullptr) return WBEM_S_NO_ERROR;
  HRESULT status = WBEM_S_NO_ERROR;
  for (LONG i = 0; i < count; ++i) {
    std::uint32_t processId = 0;
    status = processIdOf(objects[i], &processId);
    if (FAILED(status)) continue;
    monitor->handleProcessStart(processId, objects[i]);
  }
  return status;
}

HRESULT AppQuery::SetStatus(LONG flags, HRESULT, BSTR, IWbemClassObject*) {
  WindowsApplicationMonitor* monitor = monitor_;
  if (flags == WBEM_STATUS_COMPLETE && monitor != nullptr) monitor->initialListComplete();
  return WBEM_S_NO_ERROR;
}

}  // namespace Quarvo
