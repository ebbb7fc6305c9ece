// The record manager's statuses in words, for the utility's messages.
#ifndef REPOINT_TOOLS_STATUS_TEXT_H_
#define REPOINT_TOOLS_STATUS_TEXT_H_

#include <cstdint>
#include <string>

namespace recmgr {

// Returns e.g. "status 12 (file not found)"; a status without a known
// meaning reads "status N (unknown status)".
std::string DescribeStatus(uint16_t status);

}  // namespace recmgr

#endif  // REPOINT_TOOLS_STATUS_TEXT_H_
