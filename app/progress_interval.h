// How many memo records pass between two percentage lines of the progress
// display.
#ifndef REPOINT_APP_PROGRESS_INTERVAL_H_
#define REPOINT_APP_PROGRESS_INTERVAL_H_

#include <cstdint>

namespace repoint {

// 0 when status reporting is off. Otherwise a tenth of the indicated record
// count up to 100000 records and a hundredth above, truncated: 0 below 10
// records, never 0 or negative from 10 on, whatever the count.
std::int32_t ProgressInterval(std::uint32_t indicated_record_count, bool status_reporting);

}  // namespace repoint

#endif  // REPOINT_APP_PROGRESS_INTERVAL_H_
