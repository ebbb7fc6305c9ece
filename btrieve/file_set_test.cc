#include "btrieve/file_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "btrieve/operation_codes.h"
#include "tests/scripted/in_process_entry.h"
#include "tests/support/memory_stream.h"

namespace repoint {
namespace {

using scripted::ScriptedRecordManager;
using testing::MemoryStream;

constexpr FileNames kNames = {"notes.old", "notes.new", "memo.dat"};

class FileSetTest : public ::testing::Test {
 protected:
  void Install(const std::string& script) {
    manager_ = std::make_unique<ScriptedRecordManager>(script);
    scripted::InstallRecordManager(manager_.get());
  }
  void TearDown() override { scripted::InstallRecordManager(nullptr); }

  std::vector<std::uint16_t> Operations() const {
    std::vector<std::uint16_t> operations;
    for (const auto& request : manager_->requests()) operations.push_back(request.operation);
    return operations;
  }

  std::unique_ptr<ScriptedRecordManager> manager_;
  FileTable table_;
  unsigned char data_record_buffer_[kRecordBufferSize] = {};
};

struct DebugCase {
  int level;
  const char* output;
};

void PrintTo(const DebugCase& c, std::ostream* os) { *os << "debug level " << c.level; }

class FileSetDebugTest : public FileSetTest, public ::testing::WithParamInterface<DebugCase> {};

TEST_P(FileSetDebugTest, AWholeRunOfFileSetOperationsWritesWhatItsDebugLevelAsks) {
  Install("memo 1 a\nrecords 1234");
  MemoryStream out, err;
  const GuardedCall call(GetParam().level, out.file(), err.file());
  FileSet files(table_, call, data_record_buffer_);

  ASSERT_EQ(files.OpenFiles(kNames), 0);
  ASSERT_EQ(files.StatMemoFile(kMemoSlot), 0);
  files.CloseAllFiles();
  files.ResetAndStop();

  EXPECT_EQ(out.Text(), GetParam().output);
  EXPECT_EQ(err.Text(), "");
  EXPECT_EQ(files.IndicatedRecordCount(), 1234u);
}

INSTANTIATE_TEST_SUITE_P(Levels, FileSetDebugTest,
                         ::testing::Values(DebugCase{0, ""},
                                           DebugCase{1,
                                                     "Opening Files\n"
                                                     "Data Files Opened: 0\n"
                                                     "Closing Files\n"
                                                     "Data Files Closed\n"},
                                           DebugCase{2,
                                                     "Opening Files\n"
                                                     "Op: 0, Buflen: 0, KeyNum: 0 Status: 0\n"
                                                     "Op: 0, Buflen: 0, KeyNum: 0 Status: 0\n"
                                                     "Op: 0, Buflen: 0, KeyNum: 0 Status: 0\n"
                                                     "Data Files Opened: 0\n"
                                                     "Op: 15, Buflen: 33236, KeyNum: -1 Status: 0\n"
                                                     "Closing Files\n"
                                                     "Op: 1, Buflen: 0, KeyNum: 0 Status: 0\n"
                                                     "Op: 1, Buflen: 0, KeyNum: 0 Status: 0\n"
                                                     "Op: 1, Buflen: 16, KeyNum: -1 Status: 0\n"
                                                     "Data Files Closed\n"
                                                     "Op: 28, Buflen: 0, KeyNum: 0 Status: 0\n"
                                                     "Op: 25, Buflen: 0, KeyNum: 0 Status: 0\n"}));

TEST_F(FileSetTest, AllThreeOpensAreMadeAndTheFirstFailureInSlotOrderIsTheResult) {
  Install("fail 0 1 12\nfail 0 3 30");
  MemoryStream out, err;
  const GuardedCall call(1, out.file(), err.file());
  FileSet files(table_, call, data_record_buffer_);

  EXPECT_EQ(files.OpenFiles(kNames), 12);
  EXPECT_EQ(Operations(), (std::vector<std::uint16_t>{kOpOpen, kOpOpen, kOpOpen}));
  EXPECT_EQ(out.Text(), "Opening Files\nData Files Opened: 12\n");
  EXPECT_EQ(err.Text(), "memo.dat: Not a Btrieve File\n");
}

TEST_F(FileSetTest, OpenNamesTheFileInTheKeyBufferAndCarriesALongNameWhole) {
  Install("fail 0 1 30");
  MemoryStream out, err;
  const GuardedCall call(0, out.file(), err.file());
  FileSet files(table_, call, data_record_buffer_);
  const std::string name(kMaxFileNameLength, 'n');

  EXPECT_EQ(files.OpenOneFile(kOldNoteSlot, name.c_str()), 30);
  EXPECT_EQ(err.Text(), name + ": Not a Btrieve File\n");
  EXPECT_EQ(table_[kOldNoteSlot].file_name, name);
  EXPECT_EQ(table_[kOldNoteSlot].data_buffer, data_record_buffer_);
}

TEST_F(FileSetTest, CloseAllFilesAndResetAndStopGoOnPastFailures) {
  Install("fail 1 1 7\nfail 28 1 7");
  MemoryStream out, err;
  const GuardedCall call(0, out.file(), err.file());
  FileSet files(table_, call, data_record_buffer_);
  files.OpenFiles(kNames);

  files.CloseAllFiles();
  files.ResetAndStop();

  EXPECT_EQ(Operations(), (std::vector<std::uint16_t>{kOpOpen, kOpOpen, kOpOpen, kOpClose, kOpClose,
                                                      kOpClose, kOpReset, kOpStop}));
  EXPECT_EQ(err.Text(),
            "Btrieve Error 7: Operation=1, File=notes.old\n"
            "Btrieve Error 7: Operation=28, File=notes.old\n");
  EXPECT_EQ(table_[kOldNoteSlot].key_buffer, nullptr);
}

TEST_F(FileSetTest, IndicatedRecordCountIsUnsignedThirtyTwoBits) {
  Install("records 4294967295");
  MemoryStream out;
  const GuardedCall call(0, out.file(), out.file());
  FileSet files(table_, call, data_record_buffer_);
  files.OpenFiles(kNames);

  ASSERT_EQ(files.StatMemoFile(kMemoSlot), 0);
  EXPECT_EQ(files.IndicatedRecordCount(), 4294967295u);
}

}  // namespace
}  // namespace repoint
