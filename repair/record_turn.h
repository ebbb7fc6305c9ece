// The per-record turn of the repair pass: the abort-key poll before a memo
// record is counted, the progress display after it, and the closing
// percentage when the walk ends.
//
// Everything here is written to the error stream, into the console line
// that the run driver leaves open behind "Updating...".
#ifndef REPOINT_REPAIR_RECORD_TURN_H_
#define REPOINT_REPAIR_RECORD_TURN_H_

#include <cstdint>
#include <cstdio>

#include "platform/console.h"

namespace repoint {

class RecordTurn {
 public:
  // progress_interval 0 shows no turning marks and no percentage lines.
  // indicated_record_count is the memo file's count from its Stat.
  RecordTurn(ConsoleKeyboard& keyboard, std::FILE* err, std::int32_t progress_interval,
             std::uint32_t indicated_record_count);

  // Reads at most one waiting code. True when it is Esc (27): the user's
  // stop, already announced on the error stream.
  bool AbortRequested();

  // Called once per memo record, after records scanned counted it.
  void RecordCounted(std::uint32_t records_scanned);

  // "100%", when the walk ends on a step that fetched no record.
  void WalkEnded();

 private:
  void WriteTurningMark();
  void WritePercentage(std::uint32_t records_scanned);

  ConsoleKeyboard& keyboard_;
  std::FILE* err_;
  const std::int32_t progress_interval_;
  const std::uint32_t indicated_record_count_;
  std::int32_t countdown_;
};

}  // namespace repoint

#endif  // REPOINT_REPAIR_RECORD_TURN_H_
