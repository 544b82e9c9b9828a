#include "ProcessCandidates.h"

#include "CaseInsensitiveText.h"

namespace setup {

namespace {

bool sameName(const std::u16string& a, const std::u16string& b) {
  return Quarvo::equalIgnoringCase(reinterpret_cast<const wchar_t*>(a.data()), a.size(),
                                   reinterpret_cast<const wchar_t*>(b.data()), b.size());
}

}  // namespace

int terminateNamed(const std::u16string& name, ProcessCandidates& candidates) {
  int terminated = 0;
  bool prepared = false;
  while (candidates.next()) {
    const std::optional<std::u16string> caption = candidates.caption();
    if (!caption || !sameName(*caption, name)) continue;
    if (!prepared) {
      const HRESULT status = candidates.prepareTermination();
      if (FAILED(status)) return static_cast<int>(status);
      prepared = true;
    }
    if (candidates.terminate()) ++terminated;
  }
  return terminated;
}

}  // namespace setup
