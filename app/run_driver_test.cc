#include "app/run_driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "btrieve/operation_codes.h"
#include "tests/scripted/in_process_entry.h"
#include "tests/support/memory_stream.h"
#include "tests/support/two_memo_files.h"
#include "tests/support/typed_keys.h"

namespace repoint {
namespace {

using scripted::ScriptedRecordManager;
using testing::MemoryStream;
using testing::TypedKeys;

using testing::kStartLines;
constexpr const char* kFiles = testing::kTwoMemoFiles;

class RunDriverTest : public ::testing::Test {
 protected:
  void TearDown() override { scripted::InstallRecordManager(nullptr); }

  // Runs with both streams in one, so the test sees their interleaving.
  std::int32_t Run(const std::string& script, std::vector<const char*> options,
                   std::deque<int> keys = {}) {
    manager_ = std::make_unique<ScriptedRecordManager>(script);
    scripted::InstallRecordManager(manager_.get());
    std::vector<const char*> arguments = {"repoint", "notes.old", "notes.new", "memo.dat"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    both_ = std::make_unique<MemoryStream>();
    RunEnvironment env;
    env.out = both_->file();
    env.err = both_->file();
    env.open_keyboard = [keys] { return std::make_unique<TypedKeys>(keys); };
    return RunRepoint(static_cast<int>(arguments.size()), arguments.data(), env);
  }

  std::vector<std::uint16_t> Operations() const {
    std::vector<std::uint16_t> operations;
    for (const auto& request : manager_->requests()) operations.push_back(request.operation);
    return operations;
  }

  std::unique_ptr<ScriptedRecordManager> manager_;
  std::unique_ptr<MemoryStream> both_;
};

TEST_F(RunDriverTest, ARunToTheEndWritesTheSummaryBetweenTheStreamsInOrder) {
  EXPECT_EQ(Run(kFiles, {"/D"}), 9);
  EXPECT_EQ(both_->Text(), std::string("Debug Enabled!\n") + kStartLines +
                               "Opening Files\n"
                               "Data Files Opened: 0\n"
                               "Indicated Record Count = 2\n"
                               "Updating...100%\n"
                               "Repoint Run Completed!\n"
                               "Terminating Status: 9\n"
                               "(This is a normal EndOfFile condition.)\n"
                               "Records Scanned: 2\n"
                               "Records Updated: 1\n"
                               "Records Skipped: 1\n"
                               "Orphans Purged : 0\n"
                               "Closing Files\n"
                               "Data Files Closed\n");
  EXPECT_EQ(Operations().back(), kOpStop);
}

TEST_F(RunDriverTest, APassEndedByAFailedUpdateReportsItsStatusWithoutTheEndOfFileLine) {
  EXPECT_EQ(Run(std::string(kFiles) + "fail 3 1 54\n", {"/P"}), 54);
  EXPECT_EQ(both_->Text(), std::string(kStartLines) +
                               "Indicated Record Count = 2\n"
                               "Updating...Btrieve Error 54: Operation=3, File=memo.dat\n"
                               "\nMemo Update Failed with Status 54\n"
                               "\nRepoint Run Completed!\n"
                               "Terminating Status: 54\n"
                               "Records Scanned: 1\n"
                               "Records Updated: 0\n"
                               "Records Skipped: 0\n"
                               "Orphans Purged : 0\n");
  const std::vector<std::uint16_t> release = {kOpClose, kOpClose, kOpClose, kOpReset, kOpStop};
  const std::vector<std::uint16_t> operations = Operations();
  EXPECT_EQ(std::vector<std::uint16_t>(operations.end() - 5, operations.end()), release);
}

TEST_F(RunDriverTest, EscWritesTheCountsWithoutCompletionLinesAndStillClosesEverything) {
  EXPECT_EQ(Run(kFiles, {}, {27}), -1);
  EXPECT_EQ(both_->Text(), std::string(kStartLines) +
                               "Indicated Record Count = 2\n"
                               "Updating...\n"
                               "Repoint Terminated by the User.\n"
                               "Records Scanned: 0\n"
                               "Records Updated: 0\n"
                               "Records Skipped: 0\n"
                               "Orphans Purged : 0\n");
  EXPECT_EQ(manager_->memo_records()[0], scripted::MemoRecord(100, "owned"));
  const std::vector<std::uint16_t> release = {kOpClose, kOpClose, kOpClose, kOpReset, kOpStop};
  const std::vector<std::uint16_t> operations = Operations();
  EXPECT_EQ(std::vector<std::uint16_t>(operations.end() - 5, operations.end()), release);
}

TEST_F(RunDriverTest, AFailedOpenOrStatIsReportedAndReleasedWithoutClosingAnyFile) {
  const struct {
    const char* fault;
    std::int32_t result;
    const char* output;
    std::vector<std::uint16_t> operations;
  } cases[] = {
      {"fail 0 2 12\n",
       12,
       "Unable to Open Files - Status 12\n",
       {kOpOpen, kOpOpen, kOpOpen, kOpReset, kOpStop}},
      {"fail 15 1 80\n",
       80,
       "Btrieve Error 80: Operation=15, File=memo.dat\n"
       "Unable to Obtain STAT Information - Status 80\n",
       {kOpOpen, kOpOpen, kOpOpen, kOpStat, kOpReset, kOpStop}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run(std::string(kFiles) + c.fault, {}), c.result);
    EXPECT_EQ(both_->Text(), kStartLines + std::string(c.output));
    EXPECT_EQ(Operations(), c.operations);
  }
}

TEST_F(RunDriverTest, TheProgressIntervalFollowsTheIndicatedRecordCountAndStatusReporting) {
  const std::string files = std::string(kFiles) + "records 10\n";
  EXPECT_EQ(Run(files, {}), 9);
  EXPECT_NE(both_->Text().find("Updating...010%\b\b\b\b020%\b\b\b\b100%\n"), std::string::npos);
  EXPECT_EQ(Run(files, {"/S"}), 9);
  EXPECT_NE(both_->Text().find("Updating...100%\n"), std::string::npos);
}

TEST_F(RunDriverTest, UsageAndAnOverlongNameMakeNoRequest) {
  std::vector<const char*> usage = {"repoint", "/?"};
  manager_ = std::make_unique<ScriptedRecordManager>(kFiles);
  scripted::InstallRecordManager(manager_.get());
  MemoryStream out, err;
  RunEnvironment env;
  env.out = out.file();
  env.err = err.file();
  EXPECT_EQ(RunRepoint(static_cast<int>(usage.size()), usage.data(), env), 0);
  EXPECT_EQ(out.Text(),
            "\nUsage:  REPOINT OldNoteFile NewNoteFile MemoFile [/D]\n\n"
            "    This program scans the MemoFile and fixes up pointers to the Note tables,\n"
            "    using the position in the table to look up the old record, then finding\n"
            "    this record in the new file and updating the table with the new position.\n"
            "    Use the /K# option to specify the Key Number (Default=0).\n"
            "    Use the /P option to purge orphaned Memo records.\n"
            "    Use the /S option to disable Status reporting.\n"
            "    Use the /D option to enable DEBUG mode.\n\n");

  const std::string too_long(256, 'm');
  std::vector<const char*> overlong = {"repoint", "old", "new", too_long.c_str(), "/DD"};
  MemoryStream refusal_out, refusal_err;
  env.out = refusal_out.file();
  env.err = refusal_err.file();
  EXPECT_EQ(RunRepoint(static_cast<int>(overlong.size()), overlong.data(), env), 11);
  EXPECT_EQ(refusal_out.Text(),
            "The MemoFile name is longer than 255 characters; no file was opened.\n");
  EXPECT_EQ(err.Text() + refusal_err.Text(), "");
  EXPECT_TRUE(manager_->requests().empty());
}

TEST(RunDriverDeathTest, ARecordManagerThatIsNotLoadedEndsTheProcessAtTheFirstOpen) {
  std::vector<const char*> arguments = {"repoint", "notes.old", "notes.new", "memo.dat"};
  // No record manager installed: every request answers 20.
  EXPECT_EXIT(RunRepoint(static_cast<int>(arguments.size()), arguments.data()),
              ::testing::ExitedWithCode(1),
              "Press <Esc> to Abort...\nPlease load the Btrieve Record Manager\n$");
}

}  // namespace
}  // namespace repoint
