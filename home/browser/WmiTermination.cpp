#include "WmiTermination.h"

#include "ScopedComValues.h"

namespace Quarvo {

HRESULT prepareTerminateInput(IWbemServices* services, shellkit::ComRef<IWbemClassObject>* input) {
  ScopedBstr className(L"Win32_Process");
  if (!className) return E_OUTOFMEMORY;
  shellkit::ComRef<IWbemClassObject> processClass;
  HRESULT status = services->GetObject(className.get(), 0, nullptr, processClass.receive(), nullptr);
  if (FAILED(status)) return status;
  shellkit::ComRef<IWbemClassObject> signature;
  status = processClass->GetMethod(L"Terminate", 0, signature.receive(), nullptr);
  if (FAILED(status)) return status;
  // A method without an input signature cannot take the reason.
  if (!signature) return wmiStatus(WBEM_E_INVALID_METHOD_PARAMETERS);
  status = signature->SpawnInstance(0, input->receive());
  if (FAILED(status)) return status;
  ScopedVariant reason;
  V_VT(reason.get()) = VT_I4;
  V_I4(reason.get()) = 0;
  return (*input)->Put(L"Reason", 0, reason.get(), 0);
}

HRESULT terminateAt(IWbemServices* services, BSTR path, IWbemClassObject* input) {
  ScopedBstr method(L"Terminate");
  if (!method) return E_OUTOFMEMORY;
  shellkit::ComRef<IWbemClassObject> output;
  HRESULT status = services->ExecMethod(path, method.get(), 0, nullptr, input, output.receive(), nullptr);
  if (FAILED(status)) return status;
  if (!output) return wmiStatus(WBEM_E_FAILED);
  ScopedVariant result;
  status = output->Get(L"ReturnValue", 0, result.get(), nullptr, nullptr);
  if (FAILED(status)) return status;
  if (FAILED(VariantChangeType(result.get(), result.get(), 0, VT_I4)) || V_I4(result.get()) != 0) {
    return wmiStatus(WBEM_E_FAILED);
  }
  return S_OK;
}

}  // namespace Quarvo
