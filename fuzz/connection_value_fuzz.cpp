// Connection-settings values as any program may have left them in the registry. The first byte
// picks the proxy text's length; the rest is the value. A rewrite must stay below the size
// limit, read back as carrying the proxy, and keep the value's trailing settings.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ConnectionSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string proxy(data[0] % 64, 'p');
  const std::uint8_t* value = data + 1;
  std::size_t valueSize = size - 1;
  auto rewritten = Quarvo::proxy::rewriteConnectionValue(value, valueSize, proxy);
  if (!rewritten) return 0;
  if (rewritten->size() >= Quarvo::proxy::kConnectionValueLimit) std::abort();
  auto again = Quarvo::proxy::rewriteConnectionValue(rewritten->data(), rewritten->size(), proxy);
  // With a proxy the rewrite carries it, so a second rewrite changes nothing; a removal can be
  // rewritten again (the counter moves), but only to the same length.
  if (!proxy.empty() && again) std::abort();
  if (proxy.empty() && (!again || again->size() != rewritten->size())) std::abort();
  return 0;
}
