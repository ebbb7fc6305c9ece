// The file format as file_format.h documents it for SQL users: the repair
// of memo pointers written there as one UPDATE keeps every file sound, and
// the record manager reads what it wrote.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <string>
#include <thread>

#include "engine/test_support.h"
#include "engine/wbtrv32.h"

namespace wbtrv32_test {
namespace {

std::string ByteTable() {
  static const char kHex[] = "0123456789ABCDEF";
  std::string table = "X'";
  for (int b = 0; b < 256; ++b) {
    table += kHex[b >> 4];
    table += kHex[b & 15];
  }
  return table + "'";
}

// The UPDATE of file_format.h, with B written out.
std::string RepairSql(const std::string& old_notes, const std::string& new_notes) {
  const std::string b = ByteTable();
  return "ATTACH '" + old_notes + "' AS old; ATTACH '" + new_notes +
         "' AS new; BEGIN;"
         "UPDATE main.records AS m SET k0 = n.pos, data = CAST(substr(" +
         b + ", (n.pos & 255) + 1, 1) || substr(" + b +
         ", ((n.pos >> 8) & 255) + 1, 1) || substr(" + b +
         ", ((n.pos >> 16) & 255) + 1, 1) || substr(" + b +
         ", ((n.pos >> 24) & 255) + 1, 1) || substr(m.data, 5) AS BLOB) "
         "FROM old.records AS o JOIN new.records AS n ON n.k0 = o.k0 WHERE o.pos = m.k0;"
         "COMMIT;";
}

TEST(FileFormat, TheDocumentedRepairKeepsTheFilesSound) {
  ScratchDir dir;
  const std::string old_path = dir.File("notes.old");
  const std::string new_path = dir.File("notes.new");
  const std::string memo_path = dir.File("memo.dat");
  const auto notes = Definition(8, {{{0, 4, kKeyTypeUnsigned}}});
  ASSERT_EQ(CreateFile(old_path, notes), kStatusSuccess);
  ASSERT_EQ(CreateFile(new_path, notes), kStatusSuccess);
  ASSERT_EQ(
      CreateFile(memo_path,
                 Definition(4, {{{0, 4, kKeyTypeUnsigned, kKeyDuplicates | kKeyModifiable}}})),
      kStatusSuccess);
  std::vector<std::uint32_t> old_positions, new_positions;
  {
    Block old_notes, new_notes, memos;
    ASSERT_EQ(old_notes.Open(old_path), kStatusSuccess);
    ASSERT_EQ(new_notes.Open(new_path), kStatusSuccess);
    ASSERT_EQ(memos.Open(memo_path), kStatusSuccess);
    // The new file holds the notes in the reverse order, one of them gone.
    for (std::uint32_t id = 0; id < 300; ++id) {
      ASSERT_EQ(old_notes.Insert(RecordOf(Le32(id), 8 + id % 50)), kStatusSuccess);
      old_positions.push_back(old_notes.Position());
    }
    new_positions.resize(300);
    for (std::uint32_t id = 300; id-- > 0;) {
      if (id == 150) continue;
      ASSERT_EQ(new_notes.Insert(RecordOf(Le32(id), 8 + id % 50)), kStatusSuccess);
      new_positions[id] = new_notes.Position();
    }
    for (std::uint32_t memo = 0; memo < 900; ++memo) {
      ASSERT_EQ(memos.Insert(RecordOf(Le32(old_positions[memo % 300]) + "memo", 20 + memo % 7)),
                kStatusSuccess);
    }
  }
  ASSERT_EQ(RunSql(memo_path, RepairSql(old_path, new_path)), 0);

  char report[256] = {};
  EXPECT_EQ(wbtrv32_check_file(memo_path.c_str(), report, sizeof report), kStatusSuccess) << report;
  Block memos;
  ASSERT_EQ(memos.Open(memo_path), kStatusSuccess);
  std::uint32_t memo = 0;
  for (std::uint16_t status = memos.Get(kOpStepFirst); status == kStatusSuccess;
       status = memos.Get(kOpStepNext), ++memo) {
    const std::uint32_t owner = memo % 300;
    const std::uint32_t expected = owner == 150 ? old_positions[owner] : new_positions[owner];
    EXPECT_EQ(memos.Record(), RecordOf(Le32(expected) + "memo", 20 + memo % 7)) << memo;
  }
  EXPECT_EQ(memo, 900u);
  ASSERT_EQ(memos.GetEqual(Le32(new_positions[7]), 0), kStatusSuccess);  // the key follows
  EXPECT_EQ(memos.Record().substr(0, 4), Le32(new_positions[7]));
}

// An SQL user reading the file holds off its commits: writes go on, and are
// committed once the reader has gone.
TEST(FileFormat, ASqlReaderDelaysCommitsAndLosesNothing) {
  ScratchDir dir;
  const std::string path = dir.File("read_by_sql.dat");
  ASSERT_EQ(CreateFile(path, Definition(4, {{{0, 4, kKeyTypeUnsigned}}})), kStatusSuccess);
  Block block;
  ASSERT_EQ(block.Open(path), kStatusSuccess);
  ASSERT_EQ(block.Insert(Le32(1)), kStatusSuccess);

  sqlite3* reader = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path.c_str(), &reader, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM records", nullptr, nullptr, nullptr),
            SQLITE_OK);
  std::this_thread::sleep_for(std::chrono::milliseconds(250));  // a commit is due
  EXPECT_EQ(block.Insert(Le32(2)), kStatusSuccess);
  EXPECT_EQ(block.Insert(Le32(3)), kStatusSuccess);
  sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(reader);

  EXPECT_EQ(block.Insert(Le32(4)), kStatusSuccess);
  EXPECT_EQ(block.Close(), kStatusSuccess);
  ASSERT_EQ(block.Open(path, kOpenReadOnly), kStatusSuccess);
  block.length = kStatBufferSize;
  ASSERT_EQ(block.Call(kOpStat, -1), kStatusSuccess);
  EXPECT_EQ(block.data[6], 4);
}

}  // namespace
}  // namespace wbtrv32_test
