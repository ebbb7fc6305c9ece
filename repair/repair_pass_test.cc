#include "repair/repair_pass.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "btrieve/file_set.h"
#include "btrieve/operation_codes.h"
#include "tests/scripted/in_process_entry.h"
#include "tests/support/memory_stream.h"
#include "tests/support/typed_keys.h"

namespace repoint {
namespace {

using scripted::MemoRecord;
using scripted::ScriptedRecordManager;
using testing::MemoryStream;
using testing::TypedKeys;

// Owners alpha and beta stand at 100 and 200 in the old note file and at 7
// and 8 in the new one; position 300 has no owner.
constexpr char kNotes[] =
    "old 100 alpha\n"
    "old 200 beta\n"
    "new 7 alpha\n"
    "new 8 beta\n";

struct Outcome {
  std::int32_t result;
  std::string err;
  RunCounters counters;
  std::vector<std::string> memos;
};

class RepairPassTest : public ::testing::Test {
 protected:
  void TearDown() override { scripted::InstallRecordManager(nullptr); }

  Outcome Run(const std::string& script, RepairPassSettings settings = {},
              std::deque<int> keys = {}) {
    manager_ = std::make_unique<ScriptedRecordManager>(kNotes + script);
    scripted::InstallRecordManager(manager_.get());
    MemoryStream err;
    const GuardedCall call(0, err.file(), err.file());
    FileSet files(table_, call, data_record_);
    EXPECT_EQ(files.OpenFiles({"notes.old", "notes.new", "memo.dat"}), 0);
    TypedKeys keyboard(std::move(keys));
    RecordTurn turn(keyboard, err.file(), 0, 0);
    RunCounters counters;
    const std::int32_t result =
        RepairPass(table_, call, {data_record_, memo_record_}, settings, err.file())
            .Run(turn, counters);
    return {result, err.Text(), counters, manager_->memo_records()};
  }

  // Requests of one operation code, as the record manager received them.
  std::vector<scripted::Request> RequestsOf(std::uint16_t operation) const {
    std::vector<scripted::Request> found;
    for (const auto& request : manager_->requests()) {
      if (request.operation == operation) found.push_back(request);
    }
    return found;
  }

  std::unique_ptr<ScriptedRecordManager> manager_;
  FileTable table_;
  unsigned char data_record_[kRecordBufferSize] = {};
  unsigned char memo_record_[kRecordBufferSize] = {};
};

void ExpectCounters(const RunCounters& actual, const RunCounters& expected) {
  EXPECT_EQ(actual.records_scanned, expected.records_scanned);
  EXPECT_EQ(actual.records_updated, expected.records_updated);
  EXPECT_EQ(actual.records_skipped, expected.records_skipped);
  EXPECT_EQ(actual.orphans_purged, expected.orphans_purged);
}

struct PassCase {
  const char* name;
  const char* script;
  bool purge;
  Outcome expected;
};

void PrintTo(const PassCase& c, std::ostream* os) { *os << c.name; }

class RepairPassOutcomeTest : public RepairPassTest,
                              public ::testing::WithParamInterface<PassCase> {};

TEST_P(RepairPassOutcomeTest, CountsWritesAndReportsEachMemoRecordAsItsOutcomeAsks) {
  const PassCase& c = GetParam();
  const Outcome outcome = Run(c.script, {0, c.purge});

  EXPECT_EQ(outcome.result, c.expected.result);
  EXPECT_EQ(outcome.err, c.expected.err);
  ExpectCounters(outcome.counters, c.expected.counters);
  EXPECT_EQ(outcome.memos, c.expected.memos);
}

const PassCase kOutcomes[] = {
    {"UpdateSucceedsKeepingLengthAndContents",
     "memo 100 first memo\nmemo 200 second\nmemo 100 shares the first pointer\n",
     false,
     {9,
      "100%",
      {3, 3, 0, 0},
      {MemoRecord(7, "first memo"), MemoRecord(8, "second"),
       MemoRecord(7, "shares the first pointer")}}},
    {"EmptyMemoFile", "", false, {9, "100%", {0, 0, 0, 0}, {}}},
    {"OwnerMissingWithoutPurgeIsSkippedSilently",
     "memo 300 orphan\nmemo 100 kept\n",
     false,
     {9, "100%", {2, 1, 1, 0}, {MemoRecord(300, "orphan"), MemoRecord(7, "kept")}}},
    {"OwnerLookupFailureWithoutPurgeIsSkipped",
     "memo 100 a\nfail 23 1 2\n",
     false,
     {9, "Data File Corruption (Status 2) Detected!\n100%", {1, 0, 1, 0}, {MemoRecord(100, "a")}}},
    {"OwnerMissingWithPurgeIsDeleted",
     "memo 300 orphan\nmemo 100 kept\n",
     true,
     {9,
      "\nOld Primary Record Lookup Failed with Status 43 -- Deleting Orphaned Memo Record\n100%",
      {2, 1, 0, 1},
      {MemoRecord(7, "kept")}}},
    {"OwnerMissingWithPurgeAndAFailedDeleteChangesNoCounter",
     "memo 300 orphan\nmemo 100 kept\nfail 4 1 80\n",
     true,
     {9,
      "\nOld Primary Record Lookup Failed with Status 43 -- Deleting Orphaned Memo Record\n"
      "Btrieve Error 80: Operation=4, File=memo.dat\n"
      "\nDelete Memo Failed with Status 80.\n100%",
      {2, 1, 0, 0},
      {MemoRecord(300, "orphan"), MemoRecord(7, "kept")}}},
    {"OwnerLookupFailureOtherThanNoRecordWithPurgeIsSkippedNotDeleted",
     "memo 100 a\nfail 23 1 2\n",
     true,
     {9,
      "Data File Corruption (Status 2) Detected!\n"
      "\nOld Primary Record Lookup Failed with Status 2 -- Ignoring Memo Record.\n100%",
      {1, 0, 1, 0},
      {MemoRecord(100, "a")}}},
    {"OwnerKeyMissingFromTheNewNoteFileIsSkipped",
     "old 400 gamma\nmemo 400 a\n",
     false,
     {9,
      "\nNew Primary Record Lookup Failed with Status 4 -- Ignoring Memo Record.\n100%",
      {1, 0, 1, 0},
      {MemoRecord(400, "a")}}},
    {"FailedPositionLookupIsSkippedAndNotWritten",
     "memo 100 a\nmemo 200 b\nfail 22 1 8\n",
     false,
     {9,
      "Btrieve Error 8: Operation=22, File=notes.new\n"
      "\nNew Record Position Lookup Failed with Status 8 -- Ignoring Memo Record.\n100%",
      {2, 1, 1, 0},
      {MemoRecord(100, "a"), MemoRecord(8, "b")}}},
    {"UpdateFailureWithAnotherStatusGoesOn",
     "memo 100 a\nmemo 200 b\nfail 3 1 80\n",
     false,
     {9,
      "Btrieve Error 80: Operation=3, File=memo.dat\n\nMemo Update Failed with Status 80\n100%",
      {2, 1, 0, 0},
      {MemoRecord(100, "a"), MemoRecord(8, "b")}}},
    {"StepFailureEndsTheWalkWithItsStatus",
     "memo 100 a\nmemo 200 b\nfail 24 1 80\n",
     false,
     {80,
      "Btrieve Error 80: Operation=24, File=memo.dat\n100%",
      {1, 1, 0, 0},
      {MemoRecord(7, "a"), MemoRecord(200, "b")}}},
    {"FirstStepFailureEndsTheWalkAtOnce",
     "memo 100 a\nfail 33 1 2\n",
     false,
     {2, "Data File Corruption (Status 2) Detected!\n100%", {0, 0, 0, 0}, {MemoRecord(100, "a")}}},
};

INSTANTIATE_TEST_SUITE_P(Outcomes, RepairPassOutcomeTest, ::testing::ValuesIn(kOutcomes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RepairPassTest, UpdateFailuresThatStopThePassReturnAtOnceWithoutTheClosingPercentage) {
  const struct {
    int status;
    const char* policy_report;
  } cases[] = {{2, "Data File Corruption (Status 2) Detected!\n"},
               {10, "Btrieve Error 10: Operation=3, File=memo.dat\n"},
               {54, "Btrieve Error 54: Operation=3, File=memo.dat\n"}};
  for (const auto& c : cases) {
    table_ = FileTable{};
    const Outcome outcome =
        Run("memo 100 a\nmemo 200 b\nfail 3 1 " + std::to_string(c.status) + "\n");

    EXPECT_EQ(outcome.result, c.status);
    EXPECT_EQ(outcome.err, std::string(c.policy_report) + "\nMemo Update Failed with Status " +
                               std::to_string(c.status) + "\n");
    ExpectCounters(outcome.counters, {1, 0, 0, 0});
    EXPECT_EQ(RequestsOf(kOpStepNext).size(), 0u) << c.status;
  }
}

TEST_F(RepairPassTest, EscStopsThePassBeforeTheRecordIsCountedOrChanged) {
  // Two other codes are read, one per record, before the Esc.
  const Outcome outcome = Run("memos 5 100 a\n", {}, {'x', 0, 27});

  EXPECT_EQ(outcome.result, -1);
  EXPECT_EQ(outcome.err, "\nRepoint Terminated by the User.\n");
  ExpectCounters(outcome.counters, {2, 2, 0, 0});
  EXPECT_EQ(outcome.memos[2], MemoRecord(100, "a"));
}

TEST_F(RepairPassTest, RequestsCarryTheRunKeyOnTheNoteFilesAndTheStepsLengthIntoTheUpdate) {
  const Outcome outcome = Run("memo 100 twelve bytes\n", {300, false});

  // The model's note records have key 0 alone: the lookup fails with 6.
  EXPECT_EQ(outcome.result, 9);
  ExpectCounters(outcome.counters, {1, 0, 1, 0});
  ASSERT_EQ(RequestsOf(kOpGetDirect).size(), 1u);
  EXPECT_EQ(RequestsOf(kOpGetDirect)[0].key_number, 44);  // 300's low 8 bits
  EXPECT_EQ(RequestsOf(kOpGetDirect)[0].data_length, kRecordBufferSize);
  EXPECT_EQ(RequestsOf(kOpStepFirst)[0].key_number, 0);

  table_ = FileTable{};
  Run("memo 100 twelve bytes\n");
  const auto updates = RequestsOf(kOpUpdate);
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(updates[0].data_length, 4 + std::string("twelve bytes").size());
  EXPECT_EQ(updates[0].key_number, 0);
  EXPECT_EQ(RequestsOf(kOpGetPosition)[0].data_length, 4u);
  EXPECT_EQ(RequestsOf(kOpStepNext)[0].data_length, kRecordBufferSize);
}

}  // namespace
}  // namespace repoint
