// Rebuilding a file: a new file with the old one's definitions and every
// one of its records, which the new file gives new positions.
#ifndef REPOINT_TOOLS_REBUILD_H_
#define REPOINT_TOOLS_REBUILD_H_

#include <cstdint>
#include <optional>
#include <string>

namespace recmgr {

// Creates `new_name` (which must not exist) with the definitions of
// `old_name` and inserts every record of `old_name` in physical order, or in
// the order of key `*key` when given. `old_name` is only read. Returns the
// count of records copied; on failure reports it on standard error, saying
// what `new_name` holds, and returns nothing.
std::optional<uint64_t> RebuildFile(const std::string& old_name, const std::string& new_name,
                                    std::optional<int> key);

}  // namespace recmgr

#endif  // REPOINT_TOOLS_REBUILD_H_
