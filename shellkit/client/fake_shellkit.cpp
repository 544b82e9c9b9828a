// Test-only stand-in for ShellKit.dll: says which copy it is and has one of the toast exports.
#include <cstdint>

extern "C" {

__declspec(dllexport) int WhichCopy() { return FAKE_SHELLKIT_COPY; }

__declspec(dllexport) int32_t __stdcall ToastUtilsRegisterApplication(const wchar_t*) { return 0; }

}  // extern "C"
