// Test-only iphlpapi.dll for a machine without network adapters: GetAdaptersInfo finds none, as
// Windows answers then. Loaded instead of the system's (WINEDLLOVERRIDES=iphlpapi=n) beside the
// product-id tests only.
#include <windows.h>

#include <iphlpapi.h>

extern "C" __declspec(dllexport) ULONG WINAPI GetAdaptersInfo(PIP_ADAPTER_INFO, PULONG) { return ERROR_NO_DATA; }
