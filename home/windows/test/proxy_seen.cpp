// Prints the proxy a fresh process of the current user gets from WinINet, as "FLAGS SERVER"
// (SERVER empty when none), so a test can see what browsers started after setProxy would use.
#include <windows.h>
#include <wininet.h>

#include <cstdio>

int main() {
  INTERNET_PER_CONN_OPTIONW options[2] = {};
  options[0].dwOption = INTERNET_PER_CONN_FLAGS;
  options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
  INTERNET_PER_CONN_OPTION_LISTW list = {};
  list.dwSize = sizeof list;
  list.dwOptionCount = 2;
  list.pOptions = options;
  DWORD size = sizeof list;
  if (!InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size)) {
    std::fprintf(stderr, "InternetQueryOptionW failed: %lu\n", GetLastError());
    return 1;
  }
  wchar_t* server = options[1].Value.pszValue;
  std::printf("%lu %ls\n", options[0].Value.dwValue, server == nullptr ? L"" : server);
  if (server != nullptr) GlobalFree(server);
  return 0;
}
