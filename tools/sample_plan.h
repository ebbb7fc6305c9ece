// What `recmgr sample` writes, decided before a file is touched: which notes
// the old note file loses to leave gaps, which notes the rebuilt file lacks,
// and the owner of every memo. Everything follows from the seed alone.
//
// Notes are numbered 1 to notes + gaps, their ids, and written in that order.
#ifndef REPOINT_TOOLS_SAMPLE_PLAN_H_
#define REPOINT_TOOLS_SAMPLE_PLAN_H_

#include <cstdint>
#include <string>
#include <vector>

namespace recmgr {

struct SampleSize {
  uint32_t notes = 1000;   // notes left in the old file
  uint32_t memos = 10000;  // memo records
  uint32_t gaps = 100;     // notes written, then deleted from the old file
  uint32_t dropped = 20;   // notes of the old file missing from the new one
  uint32_t orphans = 100;  // memos whose pointer leads to a deleted note
  uint64_t seed = 1;
};

struct SamplePlan {
  uint32_t written_notes = 0;           // ids 1 to written_notes
  std::vector<uint32_t> deleted_ids;    // ascending
  std::vector<uint32_t> dropped_ids;    // ascending; never deleted ones
  std::vector<uint32_t> memo_owners;    // per memo, in writing order: a note id
  std::vector<bool> memo_is_orphan;     // per memo: its owner is a deleted note
  uint32_t memos_of_dropped_notes = 0;  // memos owned by a dropped note
};

// Returns a sentence naming what makes `size` impossible, or "" when it is
// sound (e.g. orphans need gaps, memos need notes).
std::string CheckSampleSize(const SampleSize& size);

// Plans a sample of a sound `size`.
SamplePlan PlanSample(const SampleSize& size);

// The readable contents, deterministic for (id, seed). A note record is its
// id (4 bytes, little-endian), its name (kNoteNameLength bytes, padded with
// spaces, shared by several notes) and a line of text; a memo record is the
// 4-byte pointer to its owner followed by a line of text that names the owner.
inline constexpr uint16_t kNoteNameOffset = 4;
inline constexpr uint16_t kNoteNameLength = 24;
std::string NoteRecord(uint32_t id, uint64_t seed);
std::string MemoRecord(uint32_t pointer, uint32_t memo_number, uint32_t owner_id, uint64_t seed);

}  // namespace recmgr

#endif  // REPOINT_TOOLS_SAMPLE_PLAN_H_
