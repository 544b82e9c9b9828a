#include "ProviderHarness.h"

#include <vector>

#include "PluginCall.h"

namespace setup::testing {

namespace {

using Action = void (*)(HWND, int, char16_t*, StackNode**, void*);

constexpr int kStringSize = 1024;

std::wstring besideProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

std::string narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

}  // namespace

StandInStoreFile::StandInStoreFile() : file_("") {
  SetEnvironmentVariableA(fwpstandin::kStoreVariable, file_.path().string().c_str());
}

StandInStoreFile::~StandInStoreFile() { SetEnvironmentVariableA(fwpstandin::kStoreVariable, nullptr); }

fwpstandin::Store StandInStoreFile::read() const { return fwpstandin::Store::load(file_.path().string()); }

void StandInStoreFile::write(const fwpstandin::Store& store) const { store.save(file_.path().string()); }

void StandInStoreFile::clearCalls() const {
  fwpstandin::Store store = read();
  store.calls.clear();
  write(store);
}

void StandInStoreFile::failCall(const std::string& function, int nth, unsigned long status) const {
  fwpstandin::Store store = read();
  store.failure = {function, nth, status};
  write(store);
}

ProviderLibrary::ProviderLibrary() : module_(LoadLibraryW(besideProgram(L"setup_provider_probe.dll").c_str())) {}

ProviderLibrary::~ProviderLibrary() {
  if (module_ != nullptr) FreeLibrary(module_);
}

std::string ProviderLibrary::install() const { return run("InstallProvider"); }

std::string ProviderLibrary::uninstall() const { return run("UninstallProvider"); }

std::string ProviderLibrary::run(const char* name) const {
  auto action = reinterpret_cast<Action>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  if (action == nullptr) return "<no " + std::string(name) + ">";
  std::vector<char16_t> variables(kVariableCount * kStringSize);
  StackNode* top = nullptr;
  action(nullptr, kStringSize, variables.data(), &top, nullptr);
  PluginCall call(kStringSize, variables.data(), &top);
  std::u16string pushed;
  if (call.pop(pushed) != kSuccess) return "<none>";
  std::u16string more;
  int extra = 0;
  while (call.pop(more) == kSuccess) ++extra;
  return extra > 0 ? "<more>" : narrow(pushed);
}

bool platformLoaded() { return GetModuleHandleW(L"FWPUCLNT.DLL") != nullptr; }

}  // namespace setup::testing
