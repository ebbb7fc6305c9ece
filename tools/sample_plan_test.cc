#include "tools/sample_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace recmgr {
namespace {

SampleSize SmallSize() {
  SampleSize size;
  size.notes = 50;
  size.memos = 400;
  size.gaps = 10;
  size.dropped = 5;
  size.orphans = 7;
  size.seed = 42;
  return size;
}

TEST(SamplePlanTest, CountsAndOwnersFollowTheSize) {
  const SampleSize size = SmallSize();
  const SamplePlan plan = PlanSample(size);
  EXPECT_EQ(plan.written_notes, 60u);
  const std::set<uint32_t> deleted(plan.deleted_ids.begin(), plan.deleted_ids.end());
  const std::set<uint32_t> dropped(plan.dropped_ids.begin(), plan.dropped_ids.end());
  EXPECT_EQ(deleted.size(), 10u);
  EXPECT_EQ(dropped.size(), 5u);
  ASSERT_EQ(plan.memo_owners.size(), 400u);
  uint32_t orphans = 0;
  uint32_t of_dropped = 0;
  std::set<uint32_t> owners;
  for (size_t memo = 0; memo < plan.memo_owners.size(); ++memo) {
    const uint32_t owner = plan.memo_owners[memo];
    ASSERT_GE(owner, 1u);
    ASSERT_LE(owner, 60u);
    EXPECT_EQ(deleted.count(owner) == 1, plan.memo_is_orphan[memo]) << "memo " << memo;
    EXPECT_EQ(deleted.count(owner) + dropped.count(owner) <= 1, true);
    orphans += plan.memo_is_orphan[memo];
    of_dropped += dropped.count(owner);
    if (!plan.memo_is_orphan[memo]) owners.insert(owner);
  }
  EXPECT_EQ(orphans, 7u);
  EXPECT_EQ(of_dropped, plan.memos_of_dropped_notes);
  // The memos spread over (nearly) all 50 notes, several to a note.
  EXPECT_GE(owners.size(), 45u);
}

TEST(SamplePlanTest, TheSeedDecidesEverything) {
  SampleSize size = SmallSize();
  const SamplePlan first = PlanSample(size);
  const SamplePlan again = PlanSample(size);
  EXPECT_EQ(first.deleted_ids, again.deleted_ids);
  EXPECT_EQ(first.dropped_ids, again.dropped_ids);
  EXPECT_EQ(first.memo_owners, again.memo_owners);
  EXPECT_EQ(NoteRecord(9, size.seed), NoteRecord(9, size.seed));
  size.seed = 43;
  EXPECT_NE(PlanSample(size).memo_owners, first.memo_owners);
}

TEST(SamplePlanTest, RecordsAreReadableWithTheirFieldsInPlace) {
  const std::string note = NoteRecord(0x01020304, 7);
  EXPECT_EQ(note.substr(0, 4), "\x04\x03\x02\x01");
  const std::string name = note.substr(kNoteNameOffset, kNoteNameLength);
  EXPECT_NE(name.find(' '), std::string::npos);
  EXPECT_NE(note.find("Note 16909060: "), std::string::npos);
  const std::string memo = MemoRecord(0xa0b0c0d0, 12, 33, 7);
  EXPECT_EQ(memo.substr(0, 4), "\xd0\xc0\xb0\xa0");
  EXPECT_EQ(memo.substr(4, 20), "Memo 12 on note 33: ");
  for (const std::string& record : {note.substr(4), memo.substr(4)}) {
    EXPECT_TRUE(std::all_of(record.begin(), record.end(), [](char c) {
      return c >= 0x20 && c <= 0x7e;
    })) << record;
  }
}

TEST(SamplePlanTest, ImpossibleSizesAreNamed) {
  struct Case {
    void (*change)(SampleSize*);
    const char* error_part;
  };
  const Case cases[] = {
      {[](SampleSize* s) { s->dropped = s->notes + 1; }, "--dropped"},
      {[](SampleSize* s) { s->orphans = s->memos + 1; }, "--orphans cannot exceed"},
      {[](SampleSize* s) { s->gaps = 0; }, "needs --gaps"},
      {[](SampleSize* s) { s->notes = 0, s->dropped = 0; }, "need --notes"},
      {[](SampleSize* s) { s->notes = UINT32_MAX; }, "below 2^32"},
  };
  EXPECT_EQ(CheckSampleSize(SmallSize()), "");
  for (const Case& c : cases) {
    SampleSize size = SmallSize();
    c.change(&size);
    EXPECT_NE(CheckSampleSize(size).find(c.error_part), std::string::npos) << c.error_part;
  }
}

}  // namespace
}  // namespace recmgr
