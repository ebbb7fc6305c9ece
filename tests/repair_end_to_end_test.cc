// The real repoint on real files of the embedded record manager, made and
// inspected with the real recmgr.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run_process.h"
#include "tools/escape.h"

namespace repoint {
namespace {

using testing::ProcessResult;
using testing::RunProcess;
using testing::Streams;

constexpr char kStartLines[] = "Updating Data File memo.dat...\nPress <Esc> to Abort...\n";
constexpr char kSkippedMessage[] =
    "\nNew Primary Record Lookup Failed with Status 4 -- Ignoring Memo Record.\n";
constexpr char kPurgedMessage[] =
    "\nOld Primary Record Lookup Failed with Status 43 -- Deleting Orphaned Memo Record\n";

// One line of `recmgr owners`: the memo record's position, and its owner's
// key value, or none.
struct Owner {
  std::string line;
  std::string position;
  bool found;
  std::string key;  // decoded
};

// One record of `recmgr dump`.
struct Record {
  std::string position;
  std::string bytes;  // decoded
};

enum class Fate { kUpdated, kOrphan, kOwnerDropped };

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Decoded(const std::string& text) {
  std::string bytes, error;
  EXPECT_TRUE(recmgr::Unescape(text, &bytes, &error)) << error;
  return bytes;
}

class RepairEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "repoint-e2e-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    directory_ = pattern;
    const ProcessResult sample =
        Recmgr({"sample", directory_, "--notes", "200", "--memos", "1000"});
    ASSERT_EQ(sample.exit_status, 0) << sample.err;
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }

  ProcessResult Recmgr(const std::vector<std::string>& arguments) {
    return RunProcess(RECMGR_BINARY, arguments, {}, Streams::kSeparate, directory_);
  }
  ProcessResult Repoint(const std::vector<std::string>& arguments) {
    return RunProcess(REPOINT_BINARY, arguments, {}, Streams::kSeparate, directory_);
  }

  std::vector<Owner> Owners(const std::string& note_file) {
    const ProcessResult run = Recmgr({"owners", "memo.dat", note_file});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    std::vector<Owner> owners;
    for (const std::string& line : Lines(run.out)) {
      const std::size_t tab = line.find('\t');
      const std::string rest = line.substr(tab + 1);
      const bool found = rest.find('\t') == std::string::npos;
      owners.push_back({line, line.substr(0, tab), found, found ? Decoded(rest) : ""});
    }
    return owners;
  }

  std::vector<Record> Dump(const std::string& file) {
    const ProcessResult run = Recmgr({"dump", file});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    std::vector<Record> records;
    for (const std::string& line : Lines(run.out)) {
      const std::size_t tab = line.find('\t');
      records.push_back({line.substr(0, tab), Decoded(line.substr(tab + 1))});
    }
    return records;
  }

  // What the repair must do with each memo record, in physical order, found
  // from the files themselves: the note id is key 0, bytes 0-3 of a note.
  std::vector<Fate> ExpectedFates() {
    std::set<std::string> new_ids;
    for (const Record& note : Dump("notes.new")) new_ids.insert(note.bytes.substr(0, 4));
    std::vector<Fate> fates;
    for (const Owner& owner : Owners("notes.old")) {
      fates.push_back(!owner.found               ? Fate::kOrphan
                      : new_ids.count(owner.key) ? Fate::kUpdated
                                                 : Fate::kOwnerDropped);
    }
    return fates;
  }

  void ExpectAllFilesSound() {
    for (const char* file : {"notes.old", "notes.new", "memo.dat"}) {
      const ProcessResult check = Recmgr({"check", file});
      EXPECT_EQ(check.exit_status, 0) << file << ": " << check.out << check.err;
    }
  }

  std::string directory_;
};

std::string Summary(std::size_t scanned, std::size_t updated, std::size_t skipped,
                    std::size_t purged) {
  return "Indicated Record Count = " + std::to_string(scanned) +
         "\nUpdating...\nRepoint Run Completed!\nTerminating Status: 9\n"
         "(This is a normal EndOfFile condition.)\nRecords Scanned: " +
         std::to_string(scanned) + "\nRecords Updated: " + std::to_string(updated) +
         "\nRecords Skipped: " + std::to_string(skipped) +
         "\nOrphans Purged : " + std::to_string(purged) + "\n";
}

TEST_F(RepairEndToEndTest, RepointsEveryMemoWhoseOwnerIsInBothNoteFilesAndLeavesTheRestAlone) {
  const std::vector<Fate> fates = ExpectedFates();
  const std::vector<Owner> before = Owners("notes.old");
  const std::vector<Record> memos_before = Dump("memo.dat");
  std::size_t updated = 0, orphans = 0;
  std::string messages;
  for (const Fate fate : fates) {
    updated += fate == Fate::kUpdated;
    orphans += fate == Fate::kOrphan;
    if (fate == Fate::kOwnerDropped) messages += kSkippedMessage;
  }
  ASSERT_GT(updated, 0u);
  ASSERT_GT(orphans, 0u);
  ASSERT_LT(updated + orphans, fates.size());  // some owners were dropped

  const ProcessResult run = Repoint({"notes.old", "notes.new", "memo.dat", "/S"});

  EXPECT_EQ(run.exit_status, 9);
  EXPECT_EQ(run.out, Summary(fates.size(), updated, fates.size() - updated, 0));
  EXPECT_EQ(run.err, kStartLines + messages + "100%");
  const std::vector<Owner> after = Owners("notes.new");
  const std::vector<Record> memos_after = Dump("memo.dat");
  ASSERT_EQ(after.size(), before.size());
  ASSERT_EQ(memos_after.size(), memos_before.size());
  for (std::size_t i = 0; i < fates.size(); ++i) {
    SCOPED_TRACE("memo record at " + memos_before[i].position);
    EXPECT_EQ(memos_after[i].position, memos_before[i].position);
    EXPECT_EQ(memos_after[i].bytes.size(), memos_before[i].bytes.size());
    EXPECT_EQ(memos_after[i].bytes.substr(4), memos_before[i].bytes.substr(4));
    if (fates[i] == Fate::kUpdated) {
      EXPECT_EQ(after[i].line, before[i].line);
    } else {
      EXPECT_EQ(memos_after[i].bytes, memos_before[i].bytes);
    }
  }
  ExpectAllFilesSound();
}

TEST_F(RepairEndToEndTest, PurgingDeletesExactlyTheOrphans) {
  const std::vector<Fate> fates = ExpectedFates();
  const std::vector<Record> memos_before = Dump("memo.dat");
  std::size_t updated = 0, orphans = 0;
  std::string messages;
  std::vector<std::string> kept_positions;
  for (std::size_t i = 0; i < fates.size(); ++i) {
    updated += fates[i] == Fate::kUpdated;
    orphans += fates[i] == Fate::kOrphan;
    if (fates[i] == Fate::kOrphan) messages += kPurgedMessage;
    if (fates[i] == Fate::kOwnerDropped) messages += kSkippedMessage;
    if (fates[i] != Fate::kOrphan) kept_positions.push_back(memos_before[i].position);
  }

  const ProcessResult run = Repoint({"notes.old", "notes.new", "memo.dat", "-s", "/p"});

  EXPECT_EQ(run.exit_status, 9);
  EXPECT_EQ(run.out, Summary(fates.size(), updated, fates.size() - updated - orphans, orphans));
  EXPECT_EQ(run.err, kStartLines + messages + "100%");
  std::vector<std::string> positions_after;
  for (const Record& memo : Dump("memo.dat")) positions_after.push_back(memo.position);
  EXPECT_EQ(positions_after, kept_positions);
  ExpectAllFilesSound();
}

TEST_F(RepairEndToEndTest, SuperDebugTracesOneLineForEveryRequest) {
  const std::vector<Fate> fates = ExpectedFates();
  std::size_t updated = 0, orphans = 0;
  for (const Fate fate : fates) {
    updated += fate == Fate::kUpdated;
    orphans += fate == Fate::kOrphan;
  }
  const std::size_t memos = fates.size();
  // Opens and Stat; a step per memo and the last; Get Direct per memo, Get
  // Equal per owner found, Get Position and Update per repaired memo; Closes,
  // Reset and Stop.
  const std::size_t requests =
      3 + 1 + (memos + 1) + memos + (memos - orphans) + 2 * updated + 3 + 2;

  const ProcessResult run = Repoint({"notes.old", "notes.new", "memo.dat", "/S", "/DD"});

  EXPECT_EQ(run.exit_status, 9);
  // "Updating..." leaves the first trace of the pass on its line.
  std::size_t traces = 0;
  for (std::size_t at = run.out.find("Op: "); at != std::string::npos;
       at = run.out.find("Op: ", at + 1)) {
    unsigned operation = 0, length = 0;
    int key_number = 0, status = 0, end = 0;
    const int fields =
        std::sscanf(run.out.c_str() + at, "Op: %u, Buflen: %u, KeyNum: %d Status: %d%n", &operation,
                    &length, &key_number, &status, &end);
    EXPECT_EQ(fields, 4) << run.out.substr(at, 60);
    EXPECT_EQ(run.out[at + static_cast<std::size_t>(end)], '\n');
    ++traces;
  }
  EXPECT_EQ(traces, requests);
  EXPECT_NE(run.out.find("Op: 15, Buflen: 33236, KeyNum: -1 Status: 0\n"), std::string::npos);
}

TEST_F(RepairEndToEndTest, FilesThatCannotBeOpenedEndTheRunWithTheirStatus) {
  std::ofstream(directory_ + "/plain.txt") << "not a record manager file\n";
  const struct {
    std::vector<std::string> arguments;
    int exit_status;
    const char* out;
    const char* err;
  } cases[] = {
      {{"notes.old", "notes.new", "missing.dat"},
       12,
       "Unable to Open Files - Status 12\n",
       "Updating Data File missing.dat...\nPress <Esc> to Abort...\n"},
      {{"plain.txt", "notes.new", "memo.dat"},
       30,
       "Unable to Open Files - Status 30\n",
       "Updating Data File memo.dat...\nPress <Esc> to Abort...\nplain.txt: Not a Btrieve File\n"},
  };
  for (const auto& c : cases) {
    const ProcessResult run = Repoint(c.arguments);
    EXPECT_EQ(run.exit_status, c.exit_status);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
  }
  ExpectAllFilesSound();
}

}  // namespace
}  // namespace repoint
