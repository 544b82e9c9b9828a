#include "ProviderHarness.h"

namespace setup::testing {

namespace {

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

std::string ProviderLibrary::install() const { return run("InstallProvider"); }

std::string ProviderLibrary::uninstall() const { return run("UninstallProvider"); }

std::string ProviderLibrary::run(const char* name) const {
  const Export action = library_.find(name);
  if (action == nullptr) return "<no " + std::string(name) + ">";
  InstallerState state;
  state.call(action);
  if (state.depth() == 0) return "<none>";
  if (state.depth() > 1) return "<more>";
  return narrow(state.pop());
}

bool platformLoaded() { return GetModuleHandleW(L"FWPUCLNT.DLL") != nullptr; }

}  // namespace setup::testing
