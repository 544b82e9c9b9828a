#include "WmiProcessCandidates.h"

#include <new>

#include "ComRef.h"
#include "WmiValues.h"

namespace setup {

namespace {

using shellkit::ComRef;
using Quarvo::ScopedBstr;
using Quarvo::ScopedVariant;

constexpr LONG kQueryFlags = WBEM_FLAG_RETURN_IMMEDIATELY | WBEM_FLAG_FORWARD_ONLY;  // 0x30
constexpr LONG kWaitForever = -1;                                                        // WBEM_INFINITE

class WmiProcessCandidates final : public ProcessCandidates {
 public:
  HRESULT open();

  bool next() override;
  std::optional<std::u16string> caption() override;
  HRESULT prepareTermination() override;
  bool terminate() override;

 private:
  ComRef<IWbemServices> services_;
  ComRef<IEnumWbemClassObject> processes_;
  ComRef<IWbemClassObject> current_;
  ComRef<IWbemClassObject> input_;
};

HRESULT WmiProcessCandidates::open() {
  CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                       EOAC_NONE, nullptr);
  ComRef<IWbemLocator> locator;
  HRESULT status = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                    locator.receiveVoid());
  if (FAILED(status)) return status;
  ScopedBstr space(L"ROOT\\CIMV2");
  ScopedBstr language(L"WQL");
  ScopedBstr query(L"SELECT * FROM Win32_Process");
  if (!space || !language || !query) return E_OUTOFMEMORY;
  status = locator->ConnectServer(space.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services_.receive());
  if (FAILED(status)) return status;
  return services_->ExecQuery(language.get(), query.get(), kQueryFlags, nullptr, processes_.receive());
}

bool WmiProcessCandidates::next() {
  ULONG returned = 0;
  HRESULT status = processes_->Next(kWaitForever, 1, current_.receive(), &returned);
  return SUCCEEDED(status) && returned == 1 && current_;
}

std::optional<std::u16string> WmiProcessCandidates::caption() {
  ScopedVariant value;
  if (FAILED(current_->Get(L"Caption", 0, value.get(), nullptr, nullptr))) return std::nullopt;
  if (V_VT(value.get()) != VT_BSTR || V_BSTR(value.get()) == nullptr) return std::nullopt;
  const BSTR text = V_BSTR(value.get());
  return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

HRESULT WmiProcessCandidates::prepareTermination() {
  ScopedBstr className(L"Win32_Process");
  if (!className) return E_OUTOFMEMORY;
  ComRef<IWbemClassObject> processClass;
  HRESULT status = services_->GetObject(className.get(), 0, nullptr, processClass.receive(), nullptr);
  if (FAILED(status)) return status;
  ComRef<IWbemClassObject> signature;
  status = processClass->GetMethod(L"Terminate", 0, signature.receive(), nullptr);
  if (FAILED(status)) return status;
  // A method without an input signature cannot take the reason.
  if (!signature) return wmiStatus(WBEM_E_INVALID_METHOD_PARAMETERS);
  status = signature->SpawnInstance(0, input_.receive());
  if (FAILED(status)) return status;
  ScopedVariant reason;
  V_VT(reason.get()) = VT_I4;
  V_I4(reason.get()) = 0;
  return input_->Put(L"Reason", 0, reason.get(), 0);
}

bool WmiProcessCandidates::terminate() {
  ScopedVariant path;
  if (FAILED(current_->Get(L"__PATH", 0, path.get(), nullptr, nullptr)) || V_VT(path.get()) != VT_BSTR) return false;
  ScopedBstr method(L"Terminate");
  if (!method) return false;
  ComRef<IWbemClassObject> output;
  if (FAILED(services_->ExecMethod(V_BSTR(path.get()), method.get(), 0, nullptr, input_.get(), output.receive(),
                                   nullptr)) ||
      !output) {
    return false;
  }
  ScopedVariant result;
  if (FAILED(output->Get(L"ReturnValue", 0, result.get(), nullptr, nullptr))) return false;
  return SUCCEEDED(VariantChangeType(result.get(), result.get(), 0, VT_I4)) && V_I4(result.get()) == 0;
}

}  // namespace

HRESULT openWmiProcessCandidates(std::unique_ptr<ProcessCandidates>* candidates) {
  std::unique_ptr<WmiProcessCandidates> wmi(new (std::nothrow) WmiProcessCandidates);
  if (!wmi) return E_OUTOFMEMORY;
  const HRESULT status = wmi->open();
  if (FAILED(status)) return status;
  *candidates = std::move(wmi);
  return S_OK;
}

}  // namespace setup
