// recmgr end to end: the real binary (its path comes from the build as
// RECMGR_BINARY) on real files of the record manager.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/wbtrv32.h"
#include "tools/escape.h"

extern char** environ;

namespace recmgr {
namespace {

namespace fs = std::filesystem;

struct RunResult {
  int exit_status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class RecmgrTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/recmgr_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    suite_dir_ = new fs::path(pattern);
    const RunResult sample =
        Recmgr({"sample", Path("sample"), "--notes", "300", "--memos", "3000", "--gaps", "30",
                "--dropped", "12", "--orphans", "25", "--seed", "5"});
    ASSERT_EQ(sample.exit_status, 0) << sample.err;
    *sample_output_ = sample.out;
  }

  static void TearDownTestSuite() {
    fs::remove_all(*suite_dir_);
    delete suite_dir_;
  }

  static std::string Path(const std::string& name) { return (*suite_dir_ / name).string(); }

  // Runs recmgr with `args`, `input` on its standard input.
  static RunResult Recmgr(const std::vector<std::string>& args, const std::string& input = "") {
    const std::string base = Path("run" + std::to_string(runs_++));
    WriteFile(base + ".in", input);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, (base + ".in").c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (base + ".out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (base + ".err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> words = {RECMGR_BINARY};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    RunResult run;
    pid_t pid = 0;
    if (posix_spawn(&pid, RECMGR_BINARY, &actions, nullptr, argv.data(), environ) == 0) {
      int wait_status = 0;
      waitpid(pid, &wait_status, 0);
      run.exit_status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadFile(base + ".out");
    run.err = ReadFile(base + ".err");
    for (const char* suffix : {".in", ".out", ".err"}) fs::remove(base + suffix);
    return run;
  }

  struct DumpLine {
    uint32_t position;
    std::string record;
  };

  // Dumps `file` (in the order of `key` when given) and decodes every line.
  static std::vector<DumpLine> Dump(const std::string& file, const char* key = nullptr) {
    std::vector<std::string> args = {"dump", file};
    if (key != nullptr) args.insert(args.end(), {"--key", key});
    const RunResult run = Recmgr(args);
    EXPECT_EQ(run.exit_status, 0) << run.err;
    std::vector<DumpLine> lines;
    std::istringstream text(run.out);
    for (std::string line; std::getline(text, line);) {
      const size_t tab = line.find('\t');
      DumpLine decoded{static_cast<uint32_t>(std::stoul(line.substr(0, tab))), ""};
      std::string error;
      EXPECT_TRUE(Unescape(line.substr(tab + 1), &decoded.record, &error)) << error;
      lines.push_back(decoded);
    }
    return lines;
  }

  // The count that the sample printed before `words` on the line of `file`.
  static unsigned long SampleCount(const std::string& file, const std::string& words) {
    std::istringstream text(*sample_output_);
    for (std::string line; std::getline(text, line);) {
      if (line.rfind(Path("sample/" + file) + ":", 0) != 0) continue;
      const size_t at = line.find(" " + words);
      EXPECT_NE(at, std::string::npos) << line;
      const size_t start = line.find_last_of(" (", at - 1) + 1;
      return std::stoul(line.substr(start, at - start));
    }
    ADD_FAILURE() << "no line for " << file << " in " << *sample_output_;
    return 0;
  }

  static inline fs::path* suite_dir_ = nullptr;
  static inline std::string* sample_output_ = new std::string;
  static inline int runs_ = 0;
};

TEST_F(RecmgrTest, DumpThenLoadRoundTripsEveryByte) {
  std::string every_byte;
  for (int byte = 0; byte < 256; ++byte) every_byte.push_back(static_cast<char>(byte));
  std::string longest(63000, '\0');
  for (size_t i = 0; i < longest.size(); ++i) longest[i] = static_cast<char>(i * 7 % 251);
  const std::vector<std::string> records = {
      every_byte, longest, "zzzz tab\there, newline\nthere, backslash \\ at the end\\",
      std::string("aaaa\0\0\0", 7), "mmmm"};
  std::string input;
  for (const std::string& record : records) input += Escape(record) + "\n";

  const std::string first = Path("round1.dat");
  ASSERT_EQ(
      Recmgr({"create", first, "--key", "0:4:binary:dup", "--record-length", "4"}).exit_status, 0);
  const RunResult load = Recmgr({"load", first}, input);
  ASSERT_EQ(load.exit_status, 0) << load.err;
  EXPECT_NE(load.out.find("loaded 5 records"), std::string::npos) << load.out;

  const std::vector<DumpLine> dumped = Dump(first);
  ASSERT_EQ(dumped.size(), records.size());
  std::set<uint32_t> positions;
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(dumped[i].record, records[i]) << "record " << i;
    positions.insert(dumped[i].position);
  }
  EXPECT_EQ(positions.size(), records.size());

  // The dump itself, positions and all, loads into a second file.
  const std::string second = Path("round2.dat");
  ASSERT_EQ(Recmgr({"create", second, "--key", "0:4:binary:dup"}).exit_status, 0);
  ASSERT_EQ(Recmgr({"load", second, "-"}, Recmgr({"dump", first}).out).exit_status, 0);
  const std::vector<DumpLine> again = Dump(second);
  ASSERT_EQ(again.size(), records.size());
  for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(again[i].record, records[i]);

  // Key order: binary order of bytes 0-3.
  std::vector<std::string> sorted = records;
  std::sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
    return a.substr(0, 4) < b.substr(0, 4);
  });
  const std::vector<DumpLine> by_key = Dump(first, "0");
  ASSERT_EQ(by_key.size(), sorted.size());
  for (size_t i = 0; i < sorted.size(); ++i) EXPECT_EQ(by_key[i].record, sorted[i]);
}

TEST_F(RecmgrTest, SampleCountsMatchWhatOwnersFinds) {
  EXPECT_EQ(SampleCount("notes.old", "notes"), 300u);
  EXPECT_EQ(SampleCount("notes.new", "notes"), 288u);
  EXPECT_EQ(SampleCount("memo.dat", "memos"), 3000u);
  EXPECT_EQ(SampleCount("memo.dat", "orphans"), 25u);
  EXPECT_EQ(Dump(Path("sample/notes.old")).size(), 300u);
  EXPECT_EQ(Dump(Path("sample/notes.new")).size(), 288u);

  const RunResult owners = Recmgr({"owners", Path("sample/memo.dat"), Path("sample/notes.old")});
  ASSERT_EQ(owners.exit_status, 0) << owners.err;
  size_t lines = 0;
  size_t orphans = 0;
  std::set<std::string> memo_positions;
  std::istringstream text(owners.out);
  for (std::string line; std::getline(text, line); ++lines) {
    const size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos) << line;
    memo_positions.insert(line.substr(0, tab));
    if (line.compare(tab, std::string::npos,
                     "\t\tno owner: status 43 (no record at that position)") == 0) {
      ++orphans;
    } else {
      // The owner's note id, key 0: 4 bytes, escaped.
      std::string key;
      std::string error;
      ASSERT_TRUE(Unescape(line.substr(tab + 1), &key, &error)) << line;
      EXPECT_EQ(key.size(), 4u) << line;
    }
  }
  EXPECT_EQ(lines, 3000u);
  EXPECT_EQ(memo_positions.size(), 3000u);
  EXPECT_EQ(orphans, 25u);
  EXPECT_NE(owners.err.find("3000 memo records: 2975 with an owner"), std::string::npos)
      << owners.err;
}

// Repairs the memo pointers of `memo` as the repair pass does, through the
// call entry: owner by position in `old_notes`, the same note id (key 0) in
// `new_notes`, its position written over the memo's pointer. Returns the
// positions of the memos updated, as owners prints them.
std::set<std::string> RepairMemoPointers(const std::string& old_notes, const std::string& new_notes,
                                         const std::string& memo) {
  char blocks[3][kPositionBlockSize] = {};
  std::string names[3] = {old_notes, new_notes, memo};
  const int8_t modes[3] = {kOpenReadOnly, kOpenReadOnly, kOpenNormal};
  std::vector<char> memo_record(kMaxRecordLength);
  std::vector<char> note_record(kMaxRecordLength);
  char key[256] = {};
  uint32_t length = 0;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(
        BTRCALL(kOpOpen, blocks[i], note_record.data(), &length, names[i].data(), 255, modes[i]), 0)
        << names[i];
  }
  std::set<std::string> updated;
  uint32_t memo_length = kMaxRecordLength;
  uint16_t step = BTRCALL(kOpStepFirst, blocks[2], memo_record.data(), &memo_length, key, 255, 0);
  while (step == kStatusSuccess) {
    unsigned char memo_position[4] = {};
    uint32_t position_length = 4;
    EXPECT_EQ(BTRCALL(kOpGetPosition, blocks[2], memo_position, &position_length, key, 255, 0), 0);
    std::memcpy(note_record.data(), memo_record.data(), 4);
    length = kMaxRecordLength;
    if (BTRCALL(kOpGetDirect, blocks[0], note_record.data(), &length, key, 255, 0) == 0 &&
        (length = kMaxRecordLength,
         BTRCALL(kOpGetEqual, blocks[1], note_record.data(), &length, key, 255, 0) == 0)) {
      position_length = 4;
      EXPECT_EQ(
          BTRCALL(kOpGetPosition, blocks[1], memo_record.data(), &position_length, key, 255, 0), 0);
      uint32_t update_length = memo_length;
      EXPECT_EQ(BTRCALL(kOpUpdate, blocks[2], memo_record.data(), &update_length, key, 255, 0), 0);
      updated.insert(std::to_string(memo_position[0] | memo_position[1] << 8 |
                                    memo_position[2] << 16 |
                                    static_cast<uint32_t>(memo_position[3]) << 24));
    }
    memo_length = kMaxRecordLength;
    step = BTRCALL(kOpStepNext, blocks[2], memo_record.data(), &memo_length, key, 255, 0);
  }
  EXPECT_EQ(step, kStatusEndOfFile);
  for (char* block : blocks) BTRCALL(kOpClose, block, nullptr, &length, nullptr, 0, 0);
  return updated;
}

// owners' lines by memo position.
std::map<std::string, std::string> OwnerLines(const std::string& owners_output) {
  std::map<std::string, std::string> lines;
  std::istringstream text(owners_output);
  for (std::string line; std::getline(text, line);) lines[line.substr(0, line.find('\t'))] = line;
  return lines;
}

TEST_F(RecmgrTest, OwnersReadsTheSameBeforeAndAfterARepair) {
  const std::string dir = Path("repair/");
  ASSERT_EQ(Recmgr({"sample", dir, "--notes", "200", "--memos", "1500", "--seed", "9"}).exit_status,
            0);
  const std::map<std::string, std::string> before =
      OwnerLines(Recmgr({"owners", dir + "memo.dat", dir + "notes.old"}).out);
  const std::set<std::string> updated =
      RepairMemoPointers(dir + "notes.old", dir + "notes.new", dir + "memo.dat");
  const std::map<std::string, std::string> after =
      OwnerLines(Recmgr({"owners", dir + "memo.dat", dir + "notes.new"}).out);
  ASSERT_EQ(before.size(), 1500u);
  ASSERT_EQ(after.size(), 1500u);
  EXPECT_GT(updated.size(), 1400u);
  size_t different = 0;
  for (const auto& [position, line] : before) {
    if (updated.count(position)) {
      EXPECT_EQ(after.at(position), line);
    } else {
      different += after.at(position) != line;
    }
  }
  // Lines of memos the repair left alone do change: the equality above
  // follows from the repair, not from the listing.
  EXPECT_GT(different, 0u);
}

TEST_F(RecmgrTest, OwnersMarksAMemoTooShortToHoldAPointer) {
  const std::string memo = Path("short_memo.dat");
  ASSERT_EQ(Recmgr({"create", memo, "--key", "0:1:binary:dup"}).exit_status, 0);
  ASSERT_EQ(Recmgr({"load", memo}, "abc\n").exit_status, 0);
  const RunResult owners = Recmgr({"owners", memo, Path("sample/notes.old")});
  EXPECT_EQ(owners.exit_status, 0) << owners.err;
  EXPECT_NE(owners.out.find("\t\tno owner: the record is shorter than its 4-byte pointer\n"),
            std::string::npos)
      << owners.out;
}

TEST_F(RecmgrTest, SampleMovesMostNotesAndRepeatsForASeed) {
  std::map<std::string, uint32_t> old_positions;
  for (const DumpLine& line : Dump(Path("sample/notes.old"))) {
    old_positions[line.record] = line.position;
  }
  size_t moved = 0;
  const std::vector<DumpLine> rebuilt = Dump(Path("sample/notes.new"));
  for (const DumpLine& line : rebuilt) {
    ASSERT_EQ(old_positions.count(line.record), 1u) << Escape(line.record);
    moved += old_positions[line.record] != line.position;
  }
  EXPECT_GT(moved, rebuilt.size() * 3 / 4);

  const RunResult again =
      Recmgr({"sample", Path("sample_again"), "--notes", "300", "--memos", "3000", "--gaps", "30",
              "--dropped", "12", "--orphans", "25", "--seed", "5"});
  ASSERT_EQ(again.exit_status, 0) << again.err;
  for (const char* file : {"notes.old", "notes.new", "memo.dat"}) {
    EXPECT_EQ(Recmgr({"dump", Path("sample_again/") + file}).out,
              Recmgr({"dump", Path("sample/") + file}).out)
        << file;
  }
}

TEST_F(RecmgrTest, RebuildGivesNewPositionsToTheSameRecords) {
  const std::string old_file = Path("sample/notes.old");
  const std::string new_file = Path("rebuilt.dat");
  const RunResult rebuild = Recmgr({"rebuild", old_file, new_file, "--order", "key", "1"});
  ASSERT_EQ(rebuild.exit_status, 0) << rebuild.err;
  EXPECT_NE(rebuild.out.find(": 300 records"), std::string::npos) << rebuild.out;

  std::multiset<std::string> old_records;
  std::map<std::string, uint32_t> old_positions;
  for (const DumpLine& line : Dump(old_file)) {
    old_records.insert(line.record);
    old_positions[line.record] = line.position;
  }
  std::multiset<std::string> new_records;
  size_t moved = 0;
  std::string previous_name;
  for (const DumpLine& line : Dump(new_file)) {
    new_records.insert(line.record);
    moved += old_positions[line.record] != line.position;
    // Physical order of the copy is name order (bytes 4-27).
    EXPECT_LE(previous_name, line.record.substr(4, 24));
    previous_name = line.record.substr(4, 24);
  }
  EXPECT_EQ(new_records, old_records);
  EXPECT_GT(moved, 200u);

  // Same definitions: stat differs only in the file's name.
  const auto definitions = [](const std::string& stat) { return stat.substr(stat.find('\n')); };
  EXPECT_EQ(definitions(Recmgr({"stat", new_file}).out),
            definitions(Recmgr({"stat", old_file}).out));
  EXPECT_NE(Recmgr({"stat", old_file}).out.find("key 1: 4:24:string:dup"), std::string::npos);
}

TEST_F(RecmgrTest, CheckPassesSoundFilesAndNamesDamage) {
  for (const char* file : {"notes.old", "notes.new", "memo.dat"}) {
    const RunResult check = Recmgr({"check", Path("sample/") + file});
    EXPECT_EQ(check.exit_status, 0) << file << ": " << check.err;
    EXPECT_NE(check.out.find("is sound"), std::string::npos);
  }
  const std::string sound = ReadFile(Path("sample/memo.dat"));
  ASSERT_GT(sound.size(), 8192u);
  std::string flipped = sound;
  for (size_t i = sound.size() / 2; i < sound.size() / 2 + 512; ++i) flipped[i] ^= 0x5a;
  struct Case {
    const char* name;
    std::string bytes;
    const char* status_words;
  };
  const Case cases[] = {
      {"flipped.dat", flipped, "(I/O error or damaged file)"},
      {"truncated.dat", sound.substr(0, sound.size() / 2), "(I/O error or damaged file)"},
      {"text.dat", "just some text, not a file of records\n",
       "(not a file of this record manager)"},
  };
  for (const Case& c : cases) {
    WriteFile(Path(c.name), c.bytes);
    const RunResult check = Recmgr({"check", Path(c.name)});
    EXPECT_NE(check.exit_status, 0) << c.name;
    EXPECT_NE(check.err.find(c.status_words), std::string::npos) << c.name << ": " << check.err;
  }
}

TEST_F(RecmgrTest, ReadingCommandsLeaveTheFilesUntouched) {
  const std::string memos = Path("sample/memo.dat");
  const std::string notes = Path("sample/notes.old");
  const std::string memo_bytes = ReadFile(memos);
  const std::string note_bytes = ReadFile(notes);
  const std::vector<std::vector<std::string>> commands = {
      {"dump", memos},  {"dump", notes, "--key", "1"}, {"stat", memos},
      {"check", memos}, {"owners", memos, notes},      {"rebuild", notes, Path("copy.dat")},
  };
  for (const std::vector<std::string>& command : commands) {
    EXPECT_EQ(Recmgr(command).exit_status, 0) << command[0];
  }
  EXPECT_EQ(ReadFile(memos), memo_bytes);
  EXPECT_EQ(ReadFile(notes), note_bytes);
}

TEST_F(RecmgrTest, FailuresExitNonzeroWithTheStatusInWords) {
  const std::string missing = Path("missing.dat");
  const std::string notes = Path("sample/notes.old");
  const std::string bad_lines = Path("bad_lines.dat");
  ASSERT_EQ(Recmgr({"create", bad_lines, "--key", "0:2:string"}).exit_status, 0);
  struct Case {
    std::vector<std::string> args;
    std::string input;
    const char* message_part;
  };
  const Case cases[] = {
      {{"dump", missing}, "", "status 12 (file not found)"},
      {{"stat", missing}, "", "status 12 (file not found)"},
      {{"check", missing}, "", "status 12 (file not found)"},
      {{"owners", missing, notes}, "", "status 12 (file not found)"},
      {{"rebuild", missing, Path("never.dat")}, "", "status 12 (file not found)"},
      {{"load", missing}, "abc\n", "status 12 (file not found)"},
      {{"create", notes, "--key", "0:4:unsigned"}, "", "status 59 (file already exists)"},
      {{"rebuild", notes, notes}, "", "status 59 (file already exists)"},
      {{"create", Path("never.dat"), "--key", "0:4:int"}, "", "unknown type \"int\""},
      {{"dump", notes, "--key", "7"}, "", "status 6 (invalid key number)"},
      {{"owners", Path("sample/memo.dat"), notes, "--key", "2"}, "", "has no key 2"},
      {{"rebuild", notes, Path("never.dat"), "--order", "size"}, "", "--order takes"},
      {{"rebuild", notes, Path("never.dat"), "--order", "key", "2"}, "", "has no key 2"},
      {{"load", bad_lines}, "ok\nbad\\q\n", "line 2: column 4: unknown escape \\q"},
      {{"load", bad_lines}, "ab\nab\n", "status 5 (duplicate key value); the 1 records before"},
      {{"sample", Path("sample")}, "", "exists already; the sample never replaces a file"},
  };
  for (const Case& c : cases) {
    const RunResult run = Recmgr(c.args, c.input);
    EXPECT_NE(run.exit_status, 0) << c.args[0] << " " << c.message_part;
    EXPECT_NE(run.err.find(c.message_part), std::string::npos) << c.args[0] << ": " << run.err;
  }
  EXPECT_FALSE(fs::exists(Path("never.dat")));
  // Each load kept the lines before its fault: "ok", then "ab".
  EXPECT_EQ(Dump(bad_lines).size(), 2u);
}

TEST_F(RecmgrTest, HelpShowsTheKeySyntax) {
  const RunResult help = Recmgr({"create", "--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_NE(help.out.find("OFFSET:LENGTH:TYPE[+OFFSET:LENGTH:TYPE...][:FLAGS]"), std::string::npos)
      << help.out;
}

}  // namespace
}  // namespace recmgr
