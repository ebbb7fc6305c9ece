// The per-record turn of the repair pass: the abort-key poll before a memo
// record is counted, the progress display after it, and the closing
// percentage when the walk ends.
//
// Everything here is written to the error stream, into the console line
// that the run driver leaves open behind "Updating...": a turning mark
// every 100 records, written and backed over; a percentage line, at least
// three digits and a percent sign backed over by four backspaces, every
// progress interval records; and "100%" when the walk ends.
#ifndef REPOINT_REPAIR_RECORD_TURN_H_
#define REPOINT_REPAIR_RECORD_TURN_H_

#include <cstdint>
#include <cstdio>

#include "platform/console.h"

namespace repoint {

// One per run of the pass, made when the pass begins, before the first memo
// record is fetched: it holds the countdown to the next percentage line.
// The position in the turning marks belongs to the process, so the marks of
// one pass follow on from those of the one before.
class RecordTurn {
 public:
  // progress_interval is the number of memo records from one percentage
  // line to the next; 0 (and, for safety, any negative value) shows no
  // turning marks and no percentage lines. indicated_record_count is the
  // memo file's count from its Stat; it must not be 0 while the interval
  // is positive.
  RecordTurn(ConsoleKeyboard& keyboard, std::FILE* err, std::int32_t progress_interval,
             std::uint32_t indicated_record_count);

  // The abort-key poll, first in every turn. Reads at most one waiting
  // code; codes other than Esc (27), a lead code or a failed read included,
  // are dropped. True when the code is Esc: the user's stop, already
  // announced with "\nRepoint Terminated by the User.\n".
  bool AbortRequested();

  // The progress update, last in every turn: called once per memo record,
  // after records scanned counted it. The percentage is records_scanned
  // x 100 / indicated record count, truncated, computed wide enough to be
  // exact for every count: past 21474836 records scanned or 2147483647
  // indicated it stays the true quotient rather than overflowing.
  void RecordCounted(std::uint32_t records_scanned);

  // The closing "100%", when the walk ends on a step that fetched no
  // record, whatever the progress interval.
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
