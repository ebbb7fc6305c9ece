// The record manager against other processes: a writer killed at random
// moments, a second process opening a file held by a first, and a user who
// may only read the file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/test_records.h"
#include "engine/test_support.h"
#include "engine/wbtrv32.h"

namespace wbtrv32_test {
namespace {

// A running engine_test_process, its standard input and output on pipes.
class Child {
 public:
  // Runs the helper with `args`; as user and group `run_as` when not -1.
  explicit Child(const std::vector<std::string>& args, int run_as = -1) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], STDIN_FILENO);
      dup2(out[1], STDOUT_FILENO);
      if (run_as != -1 && (setgid(run_as) != 0 || setuid(run_as) != 0)) _exit(3);
      std::vector<char*> argv = {const_cast<char*>(ENGINE_TEST_PROCESS)};
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(4);
    }
    close(in[0]);
    close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
  }
  ~Child() {
    if (stdin_ >= 0) close(stdin_);
    if (stdout_ >= 0) close(stdout_);
    if (pid_ > 0) Wait();
  }

  // One line of its output, without the newline.
  std::string ReadLine() {
    std::string line;
    char c;
    while (read(stdout_, &c, 1) == 1 && c != '\n') line.push_back(c);
    return line;
  }
  void CloseInput() {
    close(stdin_);
    stdin_ = -1;
  }
  void Kill() { kill(pid_, SIGKILL); }
  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }
  bool started() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
  int stdin_ = -1;
  int stdout_ = -1;
};

std::string CheckFile(const std::string& path, std::uint16_t* status) {
  char report[512] = {};
  *status = wbtrv32_check_file(path.c_str(), report, sizeof report);
  return report;
}

// A writer killed at random moments, 20 times: after each kill the file is
// sound and holds a prefix of the writes, every record whole.
TEST(KillLoop, EveryKillLeavesASoundPrefix) {
  ScratchDir dir;
  const std::string path = dir.File("killed.dat");
  ASSERT_EQ(CreateFile(path, WrittenDefinition()), kStatusSuccess);
  std::mt19937 random(11);
  std::uint32_t previous_count = 0;
  for (int round = 0; round < 20; ++round) {
    {
      Child writer({"write", path});
      ASSERT_TRUE(writer.started());
      std::this_thread::sleep_for(std::chrono::milliseconds(30 + random() % 300));
      writer.Kill();
      const int status = writer.Wait();
      ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself, round " << round;
    }
    std::uint16_t check = kStatusSuccess;
    const std::string report = CheckFile(path, &check);
    ASSERT_EQ(check, kStatusSuccess) << report << ", round " << round;

    Block block;
    ASSERT_EQ(block.Open(path, kOpenReadOnly), kStatusSuccess);
    std::uint32_t count = 0;
    std::uint16_t status = block.Get(kOpStepFirst);
    for (; status == kStatusSuccess; status = block.Get(kOpStepNext), ++count) {
      const std::string record = block.Record();
      if (record != WrittenRecord(count, true)) {
        // Only the last record may be as inserted, not yet rewritten.
        ASSERT_EQ(record, WrittenRecord(count, false)) << "record " << count << ", round " << round;
        ASSERT_EQ(block.Get(kOpStepNext), kStatusEndOfFile) << "round " << round;
        ++count;
        status = kStatusEndOfFile;
        break;
      }
    }
    ASSERT_EQ(status, kStatusEndOfFile);
    EXPECT_GE(count, previous_count) << "committed records lost, round " << round;
    previous_count = count;
  }
  EXPECT_GT(previous_count, 0u) << "no write was ever committed";
}

TEST(TwoProcesses, AWriterLocksOutOthersAtOnce) {
  ScratchDir dir;
  const std::string path = dir.File("held.dat");
  ASSERT_EQ(CreateFile(path, WrittenDefinition()), kStatusSuccess);
  {
    Child holder({"hold", path, "0"});
    ASSERT_EQ(holder.ReadLine(), "open 0");
    Block block;
    EXPECT_EQ(block.Open(path), kStatusFileLocked);
    EXPECT_EQ(block.Open(path, kOpenReadOnly), kStatusFileLocked);
    std::uint16_t check = kStatusSuccess;
    CheckFile(path, &check);
    EXPECT_EQ(check, kStatusFileLocked);
    holder.CloseInput();
    EXPECT_EQ(holder.Wait(), 0);
  }
  {
    Child reader({"hold", path, "-2"});
    ASSERT_EQ(reader.ReadLine(), "open 0");
    Block block;
    EXPECT_EQ(block.Open(path, kOpenReadOnly), kStatusSuccess);  // readers share
    Block writer;
    EXPECT_EQ(writer.Open(path), kStatusFileLocked);
  }
  Block block;
  EXPECT_EQ(block.Open(path), kStatusSuccess);
}

TEST(TwoProcesses, AUserWhoMayOnlyReadReadsEverything) {
  ScratchDir dir;
  const std::string path = dir.File("shared.dat");
  ASSERT_EQ(CreateFile(path, WrittenDefinition()), kStatusSuccess);
  {
    Block block;
    ASSERT_EQ(block.Open(path), kStatusSuccess);
    for (std::uint32_t id = 0; id < 50; ++id) {
      ASSERT_EQ(block.Insert(WrittenRecord(id, true)), kStatusSuccess);
    }
  }
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  // root may write any file: the reader runs as nobody then.
  Child reader({"read", path}, geteuid() == 0 ? 65534 : -1);
  EXPECT_EQ(reader.ReadLine(), "open 0 records 50 read 9 insert 46");
  EXPECT_EQ(reader.Wait(), 0);
}

TEST(TwoProcesses, AnInterruptedWriteWaitsForAUserWhoMayWrite) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to read as another user";
  ScratchDir dir;
  const std::string path = dir.File("interrupted.dat");
  ASSERT_EQ(CreateFile(path, WrittenDefinition()), kStatusSuccess);
  {
    Child writer({"interrupt", path});
    ASSERT_EQ(writer.ReadLine(), "interrupted");
    writer.Kill();
  }
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(path.c_str(), 0644), 0);
  {
    Child reader({"read", path}, 65534);
    EXPECT_EQ(reader.ReadLine().substr(0, 6), "open 2");  // it cannot undo the write
  }
  {
    Block owner;  // who may write undoes it on opening
    ASSERT_EQ(owner.Open(path), kStatusSuccess);
  }
  Child reader({"read", path}, 65534);
  EXPECT_EQ(reader.ReadLine(), "open 0 records 0 read 9 insert 46");
}

}  // namespace
}  // namespace wbtrv32_test
