// The real repoint binary with the scripted record manager put in the
// engine's place through LD_LIBRARY_PATH: statuses that real files cannot
// give.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/run_process.h"
#include "tests/support/two_memo_files.h"

namespace repoint {
namespace {

using testing::ProcessResult;
using testing::RunProcess;
using testing::Streams;

using testing::kStartLines;
constexpr const char* kFiles = testing::kTwoMemoFiles;

ProcessResult RunWithScript(const std::string& script, std::vector<std::string> options,
                            Streams streams = Streams::kSeparate) {
  // ctest runs tests side by side, each in a process of its own.
  const std::string script_path =
      ::testing::TempDir() + "repoint_script_" + std::to_string(getpid()) + ".txt";
  std::ofstream(script_path) << script;
  std::vector<std::string> arguments = {"notes.old", "notes.new", "memo.dat"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  return RunProcess(REPOINT_BINARY, arguments,
                    {{"LD_LIBRARY_PATH", SCRIPTED_LIBRARY_DIR}, {"REPOINT_SCRIPT", script_path}},
                    streams);
}

std::string Counts(int scanned, int updated, int skipped, int purged) {
  return "Records Scanned: " + std::to_string(scanned) +
         "\nRecords Updated: " + std::to_string(updated) +
         "\nRecords Skipped: " + std::to_string(skipped) +
         "\nOrphans Purged : " + std::to_string(purged) + "\n";
}

TEST(RepointScriptedTest, AnUpdateFailingWith2Or10Or54StopsThePassAndIsTheExitStatus) {
  const struct {
    int status;
    const char* report;
  } cases[] = {{2, "Data File Corruption (Status 2) Detected!\n"},
               {10, "Btrieve Error 10: Operation=3, File=memo.dat\n"},
               {54, "Btrieve Error 54: Operation=3, File=memo.dat\n"}};
  for (const auto& c : cases) {
    const std::string status = std::to_string(c.status);
    const ProcessResult run = RunWithScript(std::string(kFiles) + "fail 3 1 " + status, {});

    EXPECT_EQ(run.exit_status, c.status);
    EXPECT_EQ(run.out,
              "Indicated Record Count = 2\nUpdating...\nRepoint Run Completed!\n"
              "Terminating Status: " +
                  status + "\n" + Counts(1, 0, 0, 0));
    EXPECT_EQ(run.err, kStartLines + std::string(c.report) + "\nMemo Update Failed with Status " +
                           status + "\n");
  }
}

TEST(RepointScriptedTest, ARecordManagerThatIsNotLoadedEndsTheRunAtTheFirstOpenWithStatusOne) {
  const ProcessResult run =
      RunWithScript(std::string(kFiles) + "fail 0 1 20", {"/DD"}, Streams::kMerged);

  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.out, std::string("Super Debug Enabled!\n") + kStartLines +
                         "Opening Files\n"
                         "Op: 0, Buflen: 0, KeyNum: 0 Status: 20\n"
                         "Please load the Btrieve Record Manager\n");
}

struct StatusCase {
  const char* name;
  const char* fault;
  int exit_status;
  const char* out;
  const char* err;
};

void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.name; }

class RepointStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(RepointStatusTest, IsReportedSignedAndNeverExitsAsSuccess) {
  const StatusCase& c = GetParam();
  const ProcessResult run = RunWithScript(std::string(kFiles) + c.fault, {});

  EXPECT_EQ(run.exit_status, c.exit_status);
  EXPECT_EQ(run.out, c.out);
  EXPECT_EQ(run.err, kStartLines + std::string(c.err));
}

const StatusCase kStatuses[] = {
    {"OpenAnswering32768", "fail 0 1 32768", 255, "Unable to Open Files - Status -32768\n",
     "Btrieve Error -32768: Operation=0, File=notes.old\n"},
    {"StatAnswering65535", "fail 15 1 65535", 255,
     "Unable to Obtain STAT Information - Status -1\n",
     "Btrieve Error -1: Operation=15, File=memo.dat\n"},
    {"UpdateAnswering40000", "fail 3 1 40000", 9,
     "Indicated Record Count = 2\nUpdating...\nRepoint Run Completed!\nTerminating Status: 9\n"
     "(This is a normal EndOfFile condition.)\nRecords Scanned: 2\nRecords Updated: 0\n"
     "Records Skipped: 1\nOrphans Purged : 0\n",
     "Btrieve Error -25536: Operation=3, File=memo.dat\n"
     "\nMemo Update Failed with Status -25536\n100%"},
    {"StepNextAnswering512", "fail 24 1 512", 255,
     "Indicated Record Count = 2\nUpdating...\nRepoint Run Completed!\nTerminating Status: 512\n"
     "Records Scanned: 1\nRecords Updated: 1\nRecords Skipped: 0\nOrphans Purged : 0\n",
     "Btrieve Error 512: Operation=24, File=memo.dat\n100%"},
};

INSTANTIATE_TEST_SUITE_P(Statuses, RepointStatusTest, ::testing::ValuesIn(kStatuses),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace repoint
