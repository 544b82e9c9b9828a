#include "StandInShellLink.h"

namespace setup::testing {

HRESULT StandInShellLink::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IShellLinkW))) {
    *object = static_cast<IShellLinkW*>(this);
  } else if (IsEqualIID(iid, __uuidof(IPropertyStore))) {
    *object = static_cast<IPropertyStore*>(this);
  } else if (IsEqualIID(iid, __uuidof(IPersistFile))) {
    *object = static_cast<IPersistFile*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT StandInShellLink::record(const char* step) {
  steps.emplace_back(step);
  return failingStep == step ? failure : S_OK;
}

HRESULT StandInShellLink::SetPath(LPCWSTR file) {
  path = file;
  return record("SetPath");
}

HRESULT StandInShellLink::SetArguments(LPCWSTR text) {
  arguments = text;
  return record("SetArguments");
}

HRESULT StandInShellLink::SetValue(REFPROPERTYKEY property, REFPROPVARIANT variant) {
  key = property;
  type = variant.vt;
  if (variant.vt == VT_LPWSTR && variant.pwszVal != nullptr) value = variant.pwszVal;
  return record("SetValue");
}

HRESULT StandInShellLink::Commit() { return record("Commit"); }

HRESULT StandInShellLink::Save(LPCOLESTR file, BOOL rememberFile) {
  savedPath = file;
  remember = rememberFile;
  return record("Save");
}

}  // namespace setup::testing
