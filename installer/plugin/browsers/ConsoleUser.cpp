#include "ConsoleUser.h"

#include <windows.h>
#include <wtsapi32.h>

#include <algorithm>
#include <memory>

#include "RuntimeBindings.h"

namespace setup {

namespace {

using ActiveConsoleSessionFunction = DWORD(WINAPI*)();
using QuerySessionFunction = BOOL(WINAPI*)(HANDLE server, DWORD session, WTS_INFO_CLASS what, LPWSTR* buffer,
                                           DWORD* bytes);
using FreeMemoryFunction = void(WINAPI*)(PVOID memory);

constexpr DWORD kNoConsoleSession = 0xFFFFFFFF;

struct TerminalServices {
  ActiveConsoleSessionFunction activeConsoleSession;
  QuerySessionFunction querySession;
  FreeMemoryFunction freeMemory;
};

template <class Function>
Function systemFunction(const wchar_t* library, const char* name) {
  return reinterpret_cast<Function>(Quarvo::lookUpSystemFunction(library, name));
}

const TerminalServices& terminalServices() {
  static const TerminalServices bound{
      systemFunction<ActiveConsoleSessionFunction>(L"kernel32.dll", "WTSGetActiveConsoleSessionId"),
      systemFunction<QuerySessionFunction>(L"wtsapi32.dll", "WTSQuerySessionInformationW"),
      systemFunction<FreeMemoryFunction>(L"wtsapi32.dll", "WTSFreeMemory")};
  return bound;
}

}  // namespace

std::wstring consoleUserName() {
  const TerminalServices& services = terminalServices();
  if (!services.activeConsoleSession || !services.querySession || !services.freeMemory) return {};
  const DWORD session = services.activeConsoleSession();
  if (session == kNoConsoleSession) return {};
  LPWSTR buffer = nullptr;
  DWORD bytes = 0;
  if (!services.querySession(WTS_CURRENT_SERVER_HANDLE, session, WTSUserName, &buffer, &bytes)) return {};
  std::unique_ptr<wchar_t, FreeMemoryFunction> name(buffer, services.freeMemory);
  if (!name) return {};
  // The byte count includes the terminator when there is one; the text ends at its first zero.
  const std::size_t length = bytes / sizeof(wchar_t);
  return std::wstring(name.get(), std::find(name.get(), name.get() + length, L'\0'));
}

}  // namespace setup
