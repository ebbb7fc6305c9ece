#include "app/progress_interval.h"

namespace repoint {

std::int32_t ProgressInterval(std::uint32_t indicated_record_count, bool status_reporting) {
  if (!status_reporting) return 0;
  // Unsigned division: a count above 2147483647 still gives a hundredth of
  // itself, which fits the signed result.
  const std::uint32_t divisor = indicated_record_count <= 100000 ? 10 : 100;
  return static_cast<std::int32_t>(indicated_record_count / divisor);
}

}  // namespace repoint
