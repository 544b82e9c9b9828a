#include "ShellLinkWriter.h"

#include "ComRef.h"
#include "ScopedPropVariant.h"

#include <propsys.h>

#include <algorithm>

namespace setup {

namespace {

using shellkit::ComRef;

// The application user model identifier, {9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3} 5. Declared here
// rather than taken from propsys, which Windows XP lacks.
const PROPERTYKEY kAppUserModelId = {
    {0x9F4C2855, 0x9F79, 0x4B39, {0xA8, 0xD0, 0xE1, 0xD4, 0x2D, 0xE1, 0xD5, 0xF3}}, 5};

// Links take application identifiers from Windows 8 (6.2) on.
constexpr unsigned kFirstVersionWithAppIds = 0x0602;

const wchar_t* wide(const std::u16string& text) {
  // wchar_t is 16-bit UTF-16 on Windows, the same representation as char16_t.
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

// A terminated copy of `text` from the task allocator, or null.
wchar_t* taskCopy(const std::u16string& text, ShortcutSystem& system) {
  auto* copy = static_cast<wchar_t*>(system.allocate((text.size() + 1) * sizeof(wchar_t)));
  if (copy == nullptr) return nullptr;
  std::copy_n(wide(text), text.size() + 1, copy);
  return copy;
}

HRESULT setApplicationId(IShellLinkW* link, const std::u16string& applicationId, ShortcutSystem& system) {
  ComRef<IPropertyStore> store;
  HRESULT status = link->QueryInterface(__uuidof(IPropertyStore), store.receiveVoid());
  if (FAILED(status)) return status;
  ScopedPropVariant value;
  wchar_t* copy = taskCopy(applicationId, system);
  if (copy == nullptr) return E_OUTOFMEMORY;
  value.holdText(copy);
  status = store->SetValue(kAppUserModelId, value.get());
  if (FAILED(status)) return status;
  return store->Commit();
}

HRESULT save(IShellLinkW* link, const std::u16string& shortcutPath) {
  ComRef<IPersistFile> file;
  HRESULT status = link->QueryInterface(__uuidof(IPersistFile), file.receiveVoid());
  if (FAILED(status)) return status;
  return file->Save(wide(shortcutPath), TRUE);
}

}  // namespace

HRESULT writeShellLink(const ShortcutRequest& request, ShortcutSystem& system) {
  ComRef<IShellLinkW> link;
  HRESULT status = system.createLink(link.receive());
  if (FAILED(status)) return status;
  if (!link) return E_POINTER;
  if (FAILED(status = link->SetPath(wide(request.targetPath)))) return status;
  if (FAILED(status = link->SetArguments(L""))) return status;
  if (system.version() >= kFirstVersionWithAppIds &&
      FAILED(status = setApplicationId(link.get(), request.applicationId, system)))
    return status;
  status = save(link.get(), request.shortcutPath);
  return FAILED(status) ? status : S_OK;
}

}  // namespace setup
