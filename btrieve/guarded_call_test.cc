#include "btrieve/guarded_call.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "btrieve/operation_codes.h"
#include "tests/scripted/in_process_entry.h"
#include "tests/support/memory_stream.h"

namespace repoint {
namespace {

using scripted::ScriptedRecordManager;
using testing::MemoryStream;

FileControlBlock NamedBlock(std::uint16_t operation, const char* name) {
  FileControlBlock block;
  block.operation = operation;
  std::strcpy(block.file_name, name);
  return block;
}

struct PolicyCase {
  int answered;  // what the call entry returns, 0 to 65535
  std::int32_t status;
  const char* report;
};

void PrintTo(const PolicyCase& c, std::ostream* os) { *os << "status " << c.answered; }

class StatusPolicyTest : public ::testing::TestWithParam<PolicyCase> {};

TEST_P(StatusPolicyTest, ReportsOnTheErrorStreamAndReturnsTheSignedStatus) {
  const PolicyCase& c = GetParam();
  ScriptedRecordManager manager("fail 23 0 " + std::to_string(c.answered));
  scripted::InstallRecordManager(&manager);
  MemoryStream out, err;
  FileControlBlock block = NamedBlock(kOpGetDirect, "notes.old");

  EXPECT_EQ(GuardedCall(0, out.file(), err.file())(block), c.status);
  EXPECT_EQ(err.Text(), c.report);
  EXPECT_EQ(out.Text(), "");
  scripted::InstallRecordManager(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, StatusPolicyTest,
    ::testing::Values(
        PolicyCase{0, 0, ""}, PolicyCase{3, 3, ""}, PolicyCase{4, 4, ""}, PolicyCase{5, 5, ""},
        PolicyCase{9, 9, ""}, PolicyCase{12, 12, ""}, PolicyCase{22, 22, ""},
        PolicyCase{43, 43, ""}, PolicyCase{2, 2, "Data File Corruption (Status 2) Detected!\n"},
        PolicyCase{30, 30, "notes.old: Not a Btrieve File\n"},
        PolicyCase{6, 6, "Btrieve Error 6: Operation=23, File=notes.old\n"},
        PolicyCase{54, 54, "Btrieve Error 54: Operation=23, File=notes.old\n"},
        PolicyCase{32767, 32767, "Btrieve Error 32767: Operation=23, File=notes.old\n"},
        PolicyCase{32768, -32768, "Btrieve Error -32768: Operation=23, File=notes.old\n"},
        PolicyCase{65535, -1, "Btrieve Error -1: Operation=23, File=notes.old\n"}));

TEST(GuardedCallTest, SuperDebugTracesOneLineOnTheOutputStreamBeforeAnyReport) {
  ScriptedRecordManager manager("fail 23 1 2");
  scripted::InstallRecordManager(&manager);
  MemoryStream both;
  FileControlBlock block = NamedBlock(kOpGetDirect, "notes.old");
  block.data_length = 63000;
  block.key_number = -3;

  GuardedCall(2, both.file(), both.file())(block);
  EXPECT_EQ(both.Text(),
            "Op: 23, Buflen: 63000, KeyNum: -3 Status: 2\n"
            "Data File Corruption (Status 2) Detected!\n");
  scripted::InstallRecordManager(nullptr);
}

TEST(GuardedCallTest, DebugLevelOneWritesNoTrace) {
  ScriptedRecordManager manager("");
  scripted::InstallRecordManager(&manager);
  MemoryStream out, err;
  FileControlBlock block = NamedBlock(kOpReset, "notes.old");

  EXPECT_EQ(GuardedCall(1, out.file(), err.file())(block), 0);
  EXPECT_EQ(out.Text(), "");
  scripted::InstallRecordManager(nullptr);
}

TEST(GuardedCallTest, KeyNumberReachesTheRecordManagerAsItsLowEightBitsWhileTheTraceShowsSixteen) {
  const struct {
    std::int16_t key_number;
    std::int8_t received;
  } cases[] = {{0, 0}, {127, 127}, {128, -128}, {256, 0}, {-1, -1}, {-129, 127}};
  for (const auto& c : cases) {
    ScriptedRecordManager manager("");
    scripted::InstallRecordManager(&manager);
    MemoryStream out;
    FileControlBlock block = NamedBlock(kOpReset, "notes.old");
    block.key_number = c.key_number;

    GuardedCall(2, out.file(), out.file())(block);
    ASSERT_EQ(manager.requests().size(), 1u);
    EXPECT_EQ(manager.requests()[0].key_number, c.received) << c.key_number;
    EXPECT_EQ(manager.requests()[0].key_length, 255);
    EXPECT_EQ(out.Text(),
              "Op: 28, Buflen: 0, KeyNum: " + std::to_string(c.key_number) + " Status: 0\n");
  }
  scripted::InstallRecordManager(nullptr);
}

TEST(GuardedCallDeathTest, StatusTwentyEndsTheProcessWithExitStatusOne) {
  ScriptedRecordManager manager("fail 0 1 20");
  scripted::InstallRecordManager(&manager);
  FileControlBlock block = NamedBlock(kOpOpen, "notes.old");

  EXPECT_EXIT(GuardedCall(0, stdout, stderr)(block), ::testing::ExitedWithCode(1),
              "^Please load the Btrieve Record Manager\n$");
  scripted::InstallRecordManager(nullptr);
}

}  // namespace
}  // namespace repoint
