#include "LogonUserAccounts.h"

#include <oleauto.h>

#include <string>

#include "ComRef.h"
#include "WmiValues.h"

namespace Quarvo {

namespace {

// The collection is reached through IDispatch only: its own interface is not in the SDK headers
// and late binding needs no copy of its layout.
const CLSID kLogonUsers = {0x60664CAF, 0xAF0D, 0x0004, {0xA3, 0x00, 0x5C, 0x7D, 0x25, 0xFF, 0x22, 0xA0}};
const IID kLogonEnumUsers = {0x60664CAF, 0xAF0D, 0x1004, {0xA3, 0x00, 0x5C, 0x7D, 0x25, 0xFF, 0x22, 0xA0}};

// Each successful CoInitialize (S_FALSE included) is one the thread must leave again.
class ComApartment {
 public:
  ComApartment() : status_(CoInitialize(nullptr)) {}
  ~ComApartment() {
    if (SUCCEEDED(status_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT status_;
};

// A property read or method call by name, with at most one argument.
HRESULT invoke(IDispatch* object, const wchar_t* name, VARIANT* argument, VARIANT* result) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT status = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(status)) return status;
  DISPPARAMS parameters = {argument, nullptr, argument != nullptr ? 1u : 0u, 0};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &parameters,
                        result, nullptr, nullptr);
}

HRESULT countOf(IDispatch* collection, LONG* count) {
  ScopedVariant value;
  HRESULT status = invoke(collection, L"length", nullptr, value.get());
  if (FAILED(status)) return status;
  status = VariantChangeType(value.get(), value.get(), 0, VT_I4);
  if (FAILED(status)) return status;
  *count = V_I4(value.get()) < 0 ? 0 : V_I4(value.get());
  return S_OK;
}

HRESULT itemAt(IDispatch* collection, LONG index, shellkit::ComRef<IDispatch>* item) {
  ScopedVariant argument;
  V_VT(argument.get()) = VT_I4;
  V_I4(argument.get()) = index;
  ScopedVariant value;
  HRESULT status = invoke(collection, L"item", argument.get(), value.get());
  if (FAILED(status)) return status;
  if (V_VT(value.get()) != VT_DISPATCH || V_DISPATCH(value.get()) == nullptr) return E_UNEXPECTED;
  return V_DISPATCH(value.get())->QueryInterface(IID_IDispatch, item->receiveVoid());
}

// A text setting of one account; false when it cannot be read as text.
bool settingOf(IDispatch* user, const wchar_t* name, std::u16string* text) {
  ScopedVariant argument;
  V_VT(argument.get()) = VT_BSTR;
  V_BSTR(argument.get()) = SysAllocString(name);
  if (V_BSTR(argument.get()) == nullptr) return false;
  ScopedVariant value;
  if (FAILED(invoke(user, L"setting", argument.get(), value.get()))) return false;
  if (V_VT(value.get()) != VT_BSTR) return false;
  BSTR bstr = V_BSTR(value.get());
  text->assign(reinterpret_cast<const char16_t*>(bstr), bstr == nullptr ? 0 : SysStringLen(bstr));
  return true;
}

HRESULT readAll(IDispatch* collection, std::vector<UserAccount>* accounts) {
  LONG count = 0;
  HRESULT status = countOf(collection, &count);
  if (FAILED(status)) return status;
  accounts->assign(static_cast<size_t>(count), UserAccount{});
  for (LONG index = count - 1; index >= 0; --index) {
    shellkit::ComRef<IDispatch> user;
    status = itemAt(collection, index, &user);
    if (FAILED(status)) return status;
    UserAccount account;
    if (!settingOf(user.get(), L"LoginName", &account.login)) continue;
    if (!settingOf(user.get(), L"DisplayName", &account.fullName)) continue;
    (*accounts)[static_cast<size_t>(index)] = std::move(account);
  }
  return S_OK;
}

}  // namespace

HRESULT readLogonUserAccounts(std::vector<UserAccount>* accounts) {
  accounts->clear();
  ComApartment apartment;
  HRESULT status = S_OK;
  {
    shellkit::ComRef<IDispatch> collection;
    status = CoCreateInstance(kLogonUsers, nullptr, CLSCTX_INPROC_SERVER, kLogonEnumUsers, collection.receiveVoid());
    if (SUCCEEDED(status)) status = readAll(collection.get(), accounts);
  }
  if (FAILED(status)) accounts->clear();
  return status;
}

}  // namespace Quarvo
