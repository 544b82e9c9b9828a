#include "ShortcutAction.h"

#include "ShellLinkWriter.h"

namespace setup {

namespace {

constexpr int kStatusVariable = 10;  // $R0

bool popRequest(PluginCall& call, ShortcutRequest& request) {
  return call.pop(request.shortcutPath) == kSuccess && call.pop(request.targetPath) == kSuccess &&
         call.pop(request.applicationId) == kSuccess;
}

}  // namespace

void createShortcut(PluginCall& call) { createShortcut(call, systemShortcuts()); }

void createShortcut(PluginCall& call, ShortcutSystem& system) {
  ShortcutRequest request;
  // A call short of its three texts acts on nothing.
  const HRESULT status = popRequest(call, request) ? writeShellLink(request, system) : E_INVALIDARG;
  call.setVariable(kStatusVariable, decimalText(static_cast<int>(status)));
}

}  // namespace setup
