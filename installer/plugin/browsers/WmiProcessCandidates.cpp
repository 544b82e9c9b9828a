#include "WmiProcessCandidates.h"

#include <new>

#include "ComRef.h"
#include "ScopedComValues.h"
#include "WmiTermination.h"

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

HRESULT WmiProcessCandidates::prepareTermination() { return Quarvo::prepareTerminateInput(services_.get(), &input_); }

bool WmiProcessCandidates::terminate() {
  ScopedVariant path;
  if (FAILED(current_->Get(L"__PATH", 0, path.get(), nullptr, nullptr)) || V_VT(path.get()) != VT_BSTR) return false;
  return SUCCEEDED(Quarvo::terminateAt(services_.get(), V_BSTR(path.get()), input_.get()));
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
