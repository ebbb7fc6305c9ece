// The four counts of a run, in the order the summary writes them. The
// repair pass raises them, one at a time; the run driver zeroes them before
// the pass and writes them after it.
#ifndef REPOINT_REPAIR_RUN_COUNTERS_H_
#define REPOINT_REPAIR_RUN_COUNTERS_H_

#include <cstdint>

namespace repoint {

struct RunCounters {
  std::uint32_t records_scanned = 0;
  std::uint32_t records_updated = 0;
  std::uint32_t records_skipped = 0;
  std::uint32_t orphans_purged = 0;
};

}  // namespace repoint

#endif  // REPOINT_REPAIR_RUN_COUNTERS_H_
