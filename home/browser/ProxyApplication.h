// Points every user's browsers at the service's proxy, or takes it away: each user's Internet
// Settings (connection values, "ProxyServer", "ProxyEnable") and the machine-wide browser
// policies. Needs the restore privilege to write other users' hives.
#pragma once

#include "DialUpConnections.h"
#include "ProxyText.h"

namespace Quarvo {
namespace proxy {

// Enables "SeRestorePrivilege" once per process; true when it is enabled. A privilege the
// token lacks is not enabled, even though the adjusting call succeeds.
bool enableRestorePrivilege();

// 0 on success, -1 when the privilege cannot be had or the walk over the users fails. An empty
// text removes the proxy. The caller has refused texts that are not accepted.
int applyProxy(const ProxyText& text, DialUpConnections& connections = DialUpConnections::system());

}  // namespace proxy
}  // namespace Quarvo
