// The repair pass: one walk over the memo file in physical order that
// rewrites the memo pointer, bytes 0-3 of every memo record, from the
// owner's position in the old note file to its position in the new one.
//
// For each memo record: Get Direct on the old note file by the stored
// pointer gives the owner's key value; Get Equal on the new note file finds
// the record with that value; Get Position gives its position, which is
// written into the memo record, and Update writes the record back at its own
// length. A record that cannot be repaired is skipped and left as it was,
// with a message on the error stream; with purging on, a memo record whose
// owner is gone from the old note file (status 43) is deleted.
#ifndef REPOINT_REPAIR_REPAIR_PASS_H_
#define REPOINT_REPAIR_REPAIR_PASS_H_

#include <cstdint>
#include <cstdio>

#include "btrieve/file_table.h"
#include "btrieve/guarded_call.h"
#include "repair/record_turn.h"
#include "repair/run_counters.h"

namespace repoint {

struct RepairPassSettings {
  // The key on which note records are matched in both note files.
  std::int32_t key_number = 0;
  // Delete memo records whose owner is not in the old note file.
  bool purge = false;
};

// The two record buffers of kRecordBufferSize bytes each.
struct RecordBuffers {
  unsigned char* data_record;
  unsigned char* memo_record;
};

class RepairPass {
 public:
  // Slots 1-3 of `table` must be open on the old note file, the new note
  // file and the memo file. Messages go to `err`.
  RepairPass(FileTable& table, const GuardedCall& call, RecordBuffers buffers,
             RepairPassSettings settings, std::FILE* err);

  // Walks the memo file, raising `counters`. Returns the status of the step
  // that ended the walk (9 at the end of the memo file); 2, 10 or 54 when a
  // memo update failed with it; -1 when the user stopped the pass at `turn`.
  // Never 0. The files are left open.
  std::int32_t Run(RecordTurn& turn, RunCounters& counters);

 private:
  // Repairs the memo record in the memo record buffer. Returns 0 to go on,
  // or the status that stops the pass.
  std::int32_t RepairRecord(RunCounters& counters);
  // Reads a note of `slot` with `operation` on the run's key, into the data
  // record buffer; the key value travels in the key buffer. Returns the
  // status.
  std::int32_t LookUpNote(int slot, std::uint16_t operation);
  // The owner is not in the old note file: skip or purge.
  void HandleOrphan(std::int32_t lookup_status, RunCounters& counters);

  FileTable& table_;
  const GuardedCall& call_;
  const RecordBuffers buffers_;
  const RepairPassSettings settings_;
  std::FILE* const err_;
  unsigned char position_area_[4] = {};
};

}  // namespace repoint

#endif  // REPOINT_REPAIR_REPAIR_PASS_H_
