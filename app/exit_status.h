// The process exit status for a run's result.
//
// A POSIX exit status holds 8 bits. 0 and 1 to 255 exit as themselves; every
// other result (-1 after Esc, other negative statuses, statuses above 255)
// exits as 255, so that no failure can read as success. The summary shows
// the exact status.
#ifndef REPOINT_APP_EXIT_STATUS_H_
#define REPOINT_APP_EXIT_STATUS_H_

#include <cstdint>

namespace repoint {

int ExitStatus(std::int32_t result);

}  // namespace repoint

#endif  // REPOINT_APP_EXIT_STATUS_H_
