// The dial-up connections whose settings values the proxy rewrite must reach, behind one seam:
// the system's remote-access functions when shipped, a list of names in tests.
#pragma once

#include <string>
#include <vector>

namespace Quarvo {
namespace proxy {

class DialUpConnections {
 public:
  virtual ~DialUpConnections() = default;
  // The entry name of the first active connection; empty when none.
  virtual std::wstring activeConnectionName() = 0;
  // The entry names of the system phonebook, in its order.
  virtual std::vector<std::wstring> phonebookEntries() = 0;

  static DialUpConnections& system();
};

}  // namespace proxy
}  // namespace Quarvo
