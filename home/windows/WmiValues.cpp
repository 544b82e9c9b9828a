#include "WmiValues.h"

namespace Quarvo {

HRESULT targetInstance(IWbemClassObject* event, shellkit::ComRef<IWbemClassObject>* process) {
  if (event == nullptr) return E_POINTER;
  ScopedVariant value;
  HRESULT status = event->Get(L"TargetInstance", 0, value.get(), nullptr, nullptr);
  if (FAILED(status)) return status;
  if (V_VT(value.get()) != VT_UNKNOWN) {
    status = VariantChangeType(value.get(), value.get(), 0, VT_UNKNOWN);
    if (FAILED(status)) return status;
  }
  IUnknown* object = V_UNKNOWN(value.get());
  if (object == nullptr) return E_POINTER;
  return object->QueryInterface(IID_IWbemClassObject, process->receiveVoid());
}

HRESULT processIdOf(IWbemClassObject* process, std::uint32_t* processId) {
  if (process == nullptr) return E_POINTER;
  ScopedVariant value;
  HRESULT status = process->Get(L"ProcessId", 0, value.get(), nullptr, nullptr);
  if (FAILED(status)) return status;
  if (V_VT(value.get()) != VT_UI4) {
    HRESULT converted = VariantChangeType(value.get(), value.get(), 0, VT_UI4);
    if (FAILED(converted)) return converted;
  }
  *processId = V_UI4(value.get());
  return status;
}

}  // namespace Quarvo
