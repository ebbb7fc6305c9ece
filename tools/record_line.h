// The line form of one record that dump writes and load reads:
//
//   POSITION<TAB>RECORD
//
// POSITION is the record's physical position in decimal, RECORD its bytes in
// the escaped form of tools/escape.h. Load also takes a line of RECORD alone.
#ifndef REPOINT_TOOLS_RECORD_LINE_H_
#define REPOINT_TOOLS_RECORD_LINE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace recmgr {

// Appends the line for `record` at `position`, newline included.
void AppendRecordLine(uint32_t position, std::string_view record, std::string* out);

// Reads the record's bytes from `line` (without its newline), ignoring the
// position. Returns false with a sentence in `*error` when the position is
// not a number or the record is not well escaped.
bool ParseRecordLine(std::string_view line, std::string* record, std::string* error);

}  // namespace recmgr

#endif  // REPOINT_TOOLS_RECORD_LINE_H_
