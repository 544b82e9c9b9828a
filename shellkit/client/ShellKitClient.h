// The client side of the ShellKit library: a loader that looks for "ShellKit.dll" next to the
// client's own file, only on Windows 8 or later, and binds each export by name on first use.
// Clients never link the library; everything that uses it checks loaded() and does without.
//
// Each client defines its own search list (directories relative to its own file):
//   extern "C++" const wchar_t* const* shellKitSearchPath();   // e.g. {L"lib", L".", nullptr}
#pragma once

#include <cstdint>

typedef struct HINSTANCE__* HMODULE;

namespace Quarvo {

// The client's search list, null-terminated; defined once per client.
const wchar_t* const* shellKitSearchPath();

// Owns one loaded module and frees it when destroyed.
class PDLL {
 public:
  PDLL() = default;
  virtual ~PDLL();
  PDLL(const PDLL&) = delete;
  PDLL& operator=(const PDLL&) = delete;

  HMODULE module() const { return module_; }
  bool loaded() const { return module_ != nullptr; }

 protected:
  HMODULE module_ = nullptr;
};

// Looks name up in each directory of the client's search list, in order.
HMODULE loadLibraryFromSearchPath(const wchar_t* name);

class ShellKit : public PDLL {
 public:
  // Marks an export as looked up (its pointer may then be null: the export is missing).
  static constexpr uint16_t kBound = 3456;

  using RegisterApplicationFn = int32_t(__stdcall*)(const wchar_t* appId);
  using DisplayNotificationFn = int32_t(__stdcall*)(const wchar_t* appId, const wchar_t* title, const wchar_t* body,
                                                    int silent);
  using PackageFindAllFn = bool(__stdcall*)(uint32_t flags, void* callback, void* context);
  using PackageIsAvailableFn = bool(__stdcall*)(const wchar_t* packageFamilyName);

  // Loads the library when the system is Windows 8 (6.2) or later.
  ShellKit();

  // The bound export, or null when the library is not loaded or lacks it.
  RegisterApplicationFn registerApplication() { return bind(registerApplication_, "ToastUtilsRegisterApplication"); }
  DisplayNotificationFn displayNotification() { return bind(displayNotification_, "ToastUtilsDisplayNotification"); }
  PackageFindAllFn packageFindAll() { return bind(packageFindAll_, "PackageFindAll"); }
  PackageIsAvailableFn packageIsAvailable() { return bind(packageIsAvailable_, "PackageIsAvailable"); }

  // How many times an export was looked up in the module (for tests).
  int lookups() const { return lookups_; }

  // The process-wide instance, constructed during static initialisation.
  static ShellKit& shared();

 private:
  template <class F>
  struct Entry {
    F function;
    uint16_t marker;
  };

  template <class F>
  F bind(Entry<F>& entry, const char* name) {
    if (!loaded()) return nullptr;
    if (entry.marker != kBound) {
      entry.function = reinterpret_cast<F>(lookUp(name));
      entry.marker = kBound;
    }
    return entry.function;
  }
  void* lookUp(const char* name);

  Entry<RegisterApplicationFn> registerApplication_{};
  Entry<DisplayNotificationFn> displayNotification_{};
  Entry<PackageFindAllFn> packageFindAll_{};
  Entry<PackageIsAvailableFn> packageIsAvailable_{};
  int lookups_ = 0;
};

}  // namespace Quarvo
