#include "repair/repair_pass.h"

#include <cstring>

#include "btrieve/operation_codes.h"

namespace repoint {
namespace {

// Update statuses after which no further memo record can be trusted to be
// written: a damaged file, a key field changed, a record changed by another.
bool StopsThePass(std::int32_t update_status) {
  return update_status == kStatusIoError || update_status == kStatusKeyFieldModified ||
         update_status == kStatusChangedByAnother;
}

}  // namespace

RepairPass::RepairPass(FileTable& table, const GuardedCall& call, RecordBuffers buffers,
                       RepairPassSettings settings, std::FILE* err)
    : table_(table), call_(call), buffers_(buffers), settings_(settings), err_(err) {}

std::int32_t RepairPass::Run(RecordTurn& turn, RunCounters& counters) {
  FileControlBlock& memo = table_[kMemoSlot];
  memo.data_buffer = buffers_.memo_record;
  memo.data_length = kRecordBufferSize;
  memo.key_buffer = table_.key_buffer;
  memo.key_number = 0;
  memo.operation = kOpStepFirst;
  std::int32_t walk_status = call_(memo);
  while (walk_status == kStatusSuccess) {
    if (turn.AbortRequested()) return -1;
    ++counters.records_scanned;
    turn.RecordCounted(counters.records_scanned);
    if (const std::int32_t stop = RepairRecord(counters); stop != 0) return stop;
    memo.data_length = kRecordBufferSize;
    memo.operation = kOpStepNext;
    walk_status = call_(memo);
  }
  turn.WalkEnded();
  return walk_status;
}

std::int32_t RepairPass::LookUpNote(int slot, std::uint16_t operation) {
  FileControlBlock& block = table_[slot];
  block.data_buffer = buffers_.data_record;
  block.data_length = kRecordBufferSize;
  // The run's key number reaches the record manager in the block's narrower
  // field, unchanged in its low bits.
  block.key_number = static_cast<std::int16_t>(settings_.key_number);
  block.key_buffer = table_.key_buffer;
  block.operation = operation;
  return call_(block);
}

std::int32_t RepairPass::RepairRecord(RunCounters& counters) {
  std::memcpy(buffers_.data_record, buffers_.memo_record, 4);
  if (const std::int32_t status = LookUpNote(kOldNoteSlot, kOpGetDirect);
      status != kStatusSuccess) {
    HandleOrphan(status, counters);
    return 0;
  }

  if (const std::int32_t status = LookUpNote(kNewNoteSlot, kOpGetEqual); status != kStatusSuccess) {
    std::fprintf(err_,
                 "\nNew Primary Record Lookup Failed with Status %d -- Ignoring Memo Record.\n",
                 status);
    ++counters.records_skipped;
    return 0;
  }

  FileControlBlock& new_note = table_[kNewNoteSlot];
  new_note.data_length = sizeof position_area_;
  new_note.data_buffer = position_area_;
  new_note.operation = kOpGetPosition;
  if (const std::int32_t status = call_(new_note); status != kStatusSuccess) {
    // Without the position the memo record must not be written at all.
    std::fprintf(err_,
                 "\nNew Record Position Lookup Failed with Status %d -- Ignoring Memo Record.\n",
                 status);
    ++counters.records_skipped;
    return 0;
  }

  std::memcpy(buffers_.memo_record, position_area_, 4);
  FileControlBlock& memo = table_[kMemoSlot];
  // The data length is still the one the step returned: the record is
  // written back whole, at its own length.
  memo.operation = kOpUpdate;
  const std::int32_t status = call_(memo);
  if (status == kStatusSuccess) {
    ++counters.records_updated;
    return 0;
  }
  std::fprintf(err_, "\nMemo Update Failed with Status %d\n", status);
  return StopsThePass(status) ? status : 0;
}

void RepairPass::HandleOrphan(std::int32_t lookup_status, RunCounters& counters) {
  if (!settings_.purge) {
    ++counters.records_skipped;
    return;
  }
  // Only "no record at this position" proves the owner gone; any other
  // failure (a wrong key number, a damaged file) must not cost a memo.
  if (lookup_status != kStatusInvalidPosition) {
    std::fprintf(err_,
                 "\nOld Primary Record Lookup Failed with Status %d -- Ignoring Memo Record.\n",
                 lookup_status);
    ++counters.records_skipped;
    return;
  }
  std::fprintf(err_,
               "\nOld Primary Record Lookup Failed with Status %d -- Deleting Orphaned Memo "
               "Record\n",
               lookup_status);
  FileControlBlock& memo = table_[kMemoSlot];
  memo.operation = kOpDelete;
  const std::int32_t status = call_(memo);
  if (status == kStatusSuccess) {
    ++counters.orphans_purged;
  } else {
    std::fprintf(err_, "\nDelete Memo Failed with Status %d.\n", status);
  }
}

}  // namespace repoint
