// The filtering platform's management types and constants. mingw-w64 declares them only for
// Vista and later, while this module targets older systems too and binds the functions at run
// time; so the declarations are taken at the Vista level here, and nothing is linked against.
#pragma once

#include <windows.h>

#pragma push_macro("_WIN32_WINNT")
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <fwpmu.h>
#pragma pop_macro("_WIN32_WINNT")

// What mingw-w64's headers lack, or declare only where windows.h itself was taken at the Vista
// level (the status codes).
namespace setup::fwp {

constexpr DWORD kAlreadyExists = 0x80320009;  // FWP_E_ALREADY_EXISTS

constexpr UINT32 kProviderFlagPersistent = 0x00000001;
constexpr UINT32 kFilterFlagPersistent = 0x00000001;
constexpr UINT32 kFilterFlagClearActionRight = 0x00000008;

// FWPM_LAYER_ALE_AUTH_RECV_ACCEPT_V4
constexpr GUID kLayerAleAuthRecvAcceptV4 = {
    0xe1cd9fe7, 0xf4b5, 0x4273, {0x96, 0xc0, 0x59, 0x2e, 0x48, 0x7b, 0x86, 0x50}};
// FWPM_CONDITION_FLAGS
constexpr GUID kConditionFlags = {0x632ce23b, 0x5167, 0x435c, {0x86, 0xd7, 0xe9, 0x03, 0x68, 0x4a, 0xa8, 0x0c}};
// FWPM_CONDITION_IP_LOCAL_PORT
constexpr GUID kConditionIpLocalPort = {
    0x0c1ba1af, 0x5765, 0x453f, {0xaf, 0x22, 0xa8, 0xf7, 0x91, 0xac, 0x77, 0x5b}};

}  // namespace setup::fwp
