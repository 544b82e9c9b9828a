#include "DialUpConnections.h"

#include <windows.h>
#include <ras.h>

#include <vector>

namespace Quarvo {
namespace proxy {

namespace {

constexpr DWORD kBufferTooSmall = 603;

// Asks with room for one record; only when the answer is "too small" again with the size asked
// for. Records come back in `records`; their count is returned.
template <class Record, class List>
DWORD listRecords(List list, std::vector<Record>* records) {
  records->assign(1, Record{});
  (*records)[0].dwSize = sizeof(Record);
  DWORD bytes = sizeof(Record);
  DWORD count = 0;
  DWORD status = list(records->data(), &bytes, &count);
  if (status == kBufferTooSmall && bytes > 0) {
    records->assign((bytes + sizeof(Record) - 1) / sizeof(Record), Record{});
    for (Record& record : *records) record.dwSize = sizeof(Record);
    status = list(records->data(), &bytes, &count);
  }
  return status == ERROR_SUCCESS ? count : 0;
}

class SystemDialUpConnections : public DialUpConnections {
 public:
  std::wstring activeConnectionName() override {
    std::vector<RASCONNW> connections;
    DWORD count = listRecords<RASCONNW>(
        [](RASCONNW* records, DWORD* bytes, DWORD* n) { return RasEnumConnectionsW(records, bytes, n); },
        &connections);
    if (count == 0) return {};
    return std::wstring(connections[0].szEntryName);
  }

  std::vector<std::wstring> phonebookEntries() override {
    std::vector<RASENTRYNAMEW> entries;
    DWORD count = listRecords<RASENTRYNAMEW>(
        [](RASENTRYNAMEW* records, DWORD* bytes, DWORD* n) {
          return RasEnumEntriesW(nullptr, nullptr, records, bytes, n);
        },
        &entries);
    std::vector<std::wstring> names;
    for (DWORD i = 0; i < count && i < entries.size(); ++i) names.emplace_back(entries[i].szEntryName);
    return names;
  }
};

}  // namespace

DialUpConnections& DialUpConnections::system() {
  static SystemDialUpConnections connections;
  return connections;
}

}  // namespace proxy
}  // namespace Quarvo
