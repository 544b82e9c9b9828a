// Conversions of the list format that need more than a line.
#include <cmath>
#include <limits>

#include "ListFormat.h"

namespace kiv {
namespace format {

int64_t timestampFromSeconds(double seconds) {
  double micro = std::floor(seconds * 1000000.0 + 0.5);
  // A date from a tool or a server may be anything; out-of-range values are clamped rather
  // than converted with undefined behaviour.
  if (std::isnan(micro)) return 0;
  if (micro >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
  if (micro <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(micro);
}

}  // namespace format
}  // namespace kiv
