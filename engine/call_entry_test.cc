// Every operation's success and status paths, through the call entry.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "engine/test_support.h"
#include "engine/wbtrv32.h"

namespace wbtrv32_test {
namespace {

// Key 0: a unique id, bytes 0-3, unsigned. Key 1: a name, bytes 4-11,
// duplicates, modifiable, case-insensitive. Records of at least 12 bytes.
std::vector<std::uint8_t> NoteDefinition() {
  return Definition(
      12, {{{0, 4, kKeyTypeUnsigned}},
           {{4, 8, kKeyTypeString, kKeyDuplicates | kKeyModifiable | kKeyCaseInsensitive}}});
}

std::string Note(std::uint32_t id, const std::string& name, std::size_t length = 20) {
  std::string head = Le32(id) + name;
  head.resize(12, ' ');
  return RecordOf(head, length);
}

class CallEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("notes.dat");
    ASSERT_EQ(CreateFile(path_, NoteDefinition()), kStatusSuccess);
    ASSERT_EQ(block_.Open(path_), kStatusSuccess);
  }

  ScratchDir dir_;
  std::string path_;
  Block block_;
};

TEST_F(CallEntryTest, InsertThenReadBackEveryWay) {
  ASSERT_EQ(block_.Insert(Note(7, "Smith", 30)), kStatusSuccess);
  const std::uint32_t position = block_.Position();
  ASSERT_EQ(block_.Insert(Note(3, "jones", 25)), kStatusSuccess);

  ASSERT_EQ(block_.Get(kOpStepFirst), kStatusSuccess);
  EXPECT_EQ(block_.Record(), Note(7, "Smith", 30));
  ASSERT_EQ(block_.Get(kOpStepNext), kStatusSuccess);
  EXPECT_EQ(block_.Record(), Note(3, "jones", 25));
  EXPECT_EQ(block_.Get(kOpStepNext), kStatusEndOfFile);

  ASSERT_EQ(block_.Get(kOpGetFirst, 0), kStatusSuccess);
  EXPECT_EQ(block_.Record(), Note(3, "jones", 25));
  EXPECT_EQ(block_.Key(4), Le32(3));
  ASSERT_EQ(block_.Get(kOpGetNext, 0), kStatusSuccess);
  EXPECT_EQ(block_.Record(), Note(7, "Smith", 30));
  EXPECT_EQ(block_.Get(kOpGetNext, 0), kStatusEndOfFile);

  ASSERT_EQ(block_.GetEqual("SMITH   ", 1), kStatusSuccess);
  EXPECT_EQ(block_.Record(), Note(7, "Smith", 30));
  ASSERT_EQ(block_.GetDirect(position, 1), kStatusSuccess);
  EXPECT_EQ(block_.Record(), Note(7, "Smith", 30));
  EXPECT_EQ(block_.Key(8), "Smith   ");
}

TEST_F(CallEntryTest, PositionsEmulateByteOffsets) {
  // The first record at the page size; each next one further by the
  // record's length rounded up to 4, plus 8.
  ASSERT_EQ(block_.Insert(Note(1, "a", 13)), kStatusSuccess);
  EXPECT_EQ(block_.Position(), 4096u);
  ASSERT_EQ(block_.Insert(Note(2, "b", 20)), kStatusSuccess);
  EXPECT_EQ(block_.Position(), 4096u + 16 + 8);
  ASSERT_EQ(block_.Insert(Note(3, "c", 12)), kStatusSuccess);
  EXPECT_EQ(block_.Position(), 4096u + 24 + 28);

  // Deleting the last record does not give its position to the next one.
  ASSERT_EQ(block_.Call(kOpDelete), kStatusSuccess);
  ASSERT_EQ(block_.Insert(Note(4, "d", 12)), kStatusSuccess);
  EXPECT_EQ(block_.Position(), 4096u + 24 + 28 + 20);
}

TEST_F(CallEntryTest, PositionsSurviveReopening) {
  ASSERT_EQ(block_.Insert(Note(1, "a")), kStatusSuccess);
  const std::uint32_t first = block_.Position();
  ASSERT_EQ(block_.Close(), kStatusSuccess);
  ASSERT_EQ(block_.Open(path_), kStatusSuccess);
  ASSERT_EQ(block_.Insert(Note(2, "b")), kStatusSuccess);
  EXPECT_GT(block_.Position(), first);
  ASSERT_EQ(block_.GetDirect(first), kStatusSuccess);
  EXPECT_EQ(block_.Record(), Note(1, "a"));
}

TEST_F(CallEntryTest, StatReportsDefinitionAndCount) {
  for (std::uint32_t id = 0; id < 3; ++id) ASSERT_EQ(block_.Insert(Note(id, "x")), kStatusSuccess);
  std::vector<std::uint8_t> stat(kStatBufferSize);
  std::uint32_t length = kStatBufferSize;
  std::uint8_t scratch[256];
  ASSERT_EQ(BTRCALL(kOpStat, block_.position_block, stat.data(), &length, scratch, 255, -1),
            kStatusSuccess);
  const std::vector<std::uint8_t> definition = NoteDefinition();
  ASSERT_EQ(length, kStatHeaderSize + 16);
  EXPECT_EQ(stat[0] | stat[1] << 8, 12);                                 // minimum record length
  EXPECT_EQ(stat[2] | stat[3] << 8, 4096);                               // page size
  EXPECT_EQ(stat[4] | stat[5] << 8, 2);                                  // keys
  EXPECT_EQ(stat[6] | stat[7] << 8 | stat[8] << 16 | stat[9] << 24, 3);  // records
  EXPECT_EQ(stat[12] | stat[13] << 8, 2);                                // segments
  EXPECT_TRUE(std::equal(definition.begin() + kFileDefHeaderSize, definition.end(),
                         stat.begin() + kStatHeaderSize));

  length = kStatHeaderSize + 15;
  EXPECT_EQ(BTRCALL(kOpStat, block_.position_block, stat.data(), &length, scratch, 255, -1),
            kStatusDataBufferTooShort);
}

TEST_F(CallEntryTest, InsertStatuses) {
  ASSERT_EQ(block_.Insert(Note(1, "a")), kStatusSuccess);
  EXPECT_EQ(block_.Insert(Note(1, "b")), kStatusDuplicateKey);
  EXPECT_EQ(block_.Insert(Note(2, "a").substr(0, 11)), kStatusInvalidRecordLength);
  block_.length = kMaxRecordLength + 1;
  EXPECT_EQ(block_.Call(kOpInsert), kStatusInvalidRecordLength);
  EXPECT_EQ(block_.Insert(Note(2, "a", kMaxRecordLength)), kStatusSuccess);

  Block reader;
  ASSERT_EQ(reader.Open(path_, kOpenReadOnly), kStatusSuccess);
  EXPECT_EQ(reader.Insert(Note(3, "c")), kStatusReadOnly);
  ASSERT_EQ(reader.Get(kOpStepFirst), kStatusSuccess);
  EXPECT_EQ(reader.Update(Note(1, "z")), kStatusReadOnly);
  EXPECT_EQ(reader.Call(kOpDelete), kStatusReadOnly);
}

TEST_F(CallEntryTest, UpdateStatuses) {
  EXPECT_EQ(block_.Update(Note(1, "a")), kStatusNoCurrentRecord);
  ASSERT_EQ(block_.Insert(Note(1, "a")), kStatusSuccess);
  ASSERT_EQ(block_.Insert(Note(2, "b")), kStatusSuccess);
  EXPECT_EQ(block_.Update(Note(3, "b")), kStatusKeyFieldModified);  // key 0 is not modifiable
  EXPECT_EQ(block_.Update(Note(2, "b").substr(0, 8)), kStatusInvalidRecordLength);
  ASSERT_EQ(block_.Update(Note(2, "renamed", 40)), kStatusSuccess);
  ASSERT_EQ(block_.GetEqual(Le32(2), 0), kStatusSuccess);
  EXPECT_EQ(block_.Record(), Note(2, "renamed", 40));

  // A unique key of another file's layout: a change to an existing value.
  const std::string other = dir_.File("unique.dat");
  ASSERT_EQ(CreateFile(other, Definition(4, {{{0, 4, kKeyTypeUnsigned, kKeyModifiable}}})),
            kStatusSuccess);
  Block unique;
  ASSERT_EQ(unique.Open(other), kStatusSuccess);
  ASSERT_EQ(unique.Insert(Le32(1)), kStatusSuccess);
  ASSERT_EQ(unique.Insert(Le32(2)), kStatusSuccess);
  EXPECT_EQ(unique.Update(Le32(1)), kStatusDuplicateKey);
  EXPECT_EQ(unique.Update(Le32(5)), kStatusSuccess);
}

TEST_F(CallEntryTest, ReadStatuses) {
  EXPECT_EQ(block_.Get(kOpStepFirst), kStatusEndOfFile);
  EXPECT_EQ(block_.Get(kOpGetFirst, 1), kStatusEndOfFile);
  EXPECT_EQ(block_.Get(kOpStepNext), kStatusNoCurrentRecord);
  EXPECT_EQ(block_.Get(kOpGetNext, 0), kStatusNoCurrentRecord);
  EXPECT_EQ(block_.Call(kOpDelete), kStatusNoCurrentRecord);
  std::uint16_t status = kStatusSuccess;
  block_.Position(&status);
  EXPECT_EQ(status, kStatusNoCurrentRecord);

  ASSERT_EQ(block_.Insert(Note(1, "a", 100)), kStatusSuccess);
  const std::uint32_t position = block_.Position();
  EXPECT_EQ(block_.GetEqual(Le32(9), 0), kStatusKeyNotFound);
  EXPECT_EQ(block_.Get(kOpGetFirst, 2), kStatusInvalidKeyNumber);
  EXPECT_EQ(block_.Get(kOpGetFirst, -1), kStatusInvalidKeyNumber);
  EXPECT_EQ(block_.GetDirect(position, 5), kStatusInvalidKeyNumber);
  std::uint32_t length = kMaxRecordLength;
  EXPECT_EQ(
      BTRCALL(kOpGetEqual, block_.position_block, block_.data.data(), &length, block_.key, 3, 0),
      kStatusKeyBufferTooShort);

  for (std::uint32_t missing : {0u, position - 4, position + 4, 0xFFFFFFFFu}) {
    EXPECT_EQ(block_.GetDirect(missing), kStatusInvalidPosition) << missing;
  }
  block_.length = 3;
  EXPECT_EQ(block_.Call(kOpGetDirect), kStatusDataBufferTooShort);
  std::uint32_t area = 0;
  length = 3;
  EXPECT_EQ(BTRCALL(kOpGetPosition, block_.position_block, &area, &length, block_.key, 255, 0),
            kStatusDataBufferTooShort);
}

TEST_F(CallEntryTest, ShortDataBufferReturnsNothingAndKeepsCurrency) {
  ASSERT_EQ(block_.Insert(Note(1, "a", 100)), kStatusSuccess);
  ASSERT_EQ(block_.Insert(Note(2, "b", 20)), kStatusSuccess);
  const std::uint32_t second = block_.Position();
  struct Case {
    std::uint16_t operation;
    std::int8_t key_number;
  };
  for (const Case& c : {Case{kOpStepFirst, 0}, Case{kOpGetFirst, 0}, Case{kOpGetEqual, 0}}) {
    std::memcpy(block_.key, Le32(1).data(), 4);
    std::fill(block_.data.begin(), block_.data.end(), 0xEE);
    block_.length = 99;
    EXPECT_EQ(block_.Call(c.operation, c.key_number), kStatusDataBufferTooShort) << c.operation;
    EXPECT_EQ(block_.data[0], 0xEE) << c.operation;
    EXPECT_EQ(block_.Position(), second) << c.operation;
  }
  std::memcpy(block_.data.data(), Le32(4096).data(), 4);
  block_.length = 99;
  EXPECT_EQ(block_.Call(kOpGetDirect), kStatusDataBufferTooShort);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block_.data.data()), 4), Le32(4096));
  EXPECT_EQ(block_.Position(), second);
}

TEST(PositionBlock, ZerosGarbageAndClosedBlocksGiveStatus3) {
  ScratchDir dir;
  const std::string path = dir.File("f.dat");
  ASSERT_EQ(CreateFile(path, Definition(4, {{{0, 4, kKeyTypeUnsigned}}})), kStatusSuccess);
  Block closed;
  ASSERT_EQ(closed.Open(path), kStatusSuccess);
  ASSERT_EQ(closed.Close(), kStatusSuccess);
  Block stale;  // open, then its block copied aside and the file closed
  ASSERT_EQ(stale.Open(path), kStatusSuccess);
  std::uint8_t copy[kPositionBlockSize];
  std::memcpy(copy, stale.position_block, sizeof copy);
  ASSERT_EQ(stale.Close(), kStatusSuccess);

  std::uint8_t zeros[kPositionBlockSize] = {};
  std::uint8_t garbage[kPositionBlockSize];
  for (std::size_t i = 0; i < sizeof garbage; ++i) garbage[i] = static_cast<std::uint8_t>(i * 37);
  std::uint8_t mark_only[kPositionBlockSize] = {};
  std::memcpy(mark_only, copy, 4);  // the mark, with an index that was never handed out
  mark_only[4] = 0xFF;
  for (std::uint8_t* block : {zeros, garbage, closed.position_block, copy, mark_only}) {
    for (std::uint16_t operation :
         {kOpClose, kOpInsert, kOpUpdate, kOpDelete, kOpGetEqual, kOpGetNext, kOpGetFirst, kOpStat,
          kOpGetPosition, kOpGetDirect, kOpStepNext, kOpStepFirst}) {
      std::uint8_t data[64] = {};
      std::uint8_t key[256] = {};
      std::uint32_t length = sizeof data;
      EXPECT_EQ(BTRCALL(operation, block, data, &length, key, 255, 0), kStatusFileNotOpen)
          << operation;
    }
  }
  std::uint32_t length = 0;
  EXPECT_EQ(BTRCALL(kOpClose, nullptr, nullptr, &length, nullptr, 0, 0), kStatusFileNotOpen);
  EXPECT_EQ(BTRCALL(99, zeros, nullptr, &length, nullptr, 0, 0), kStatusInvalidOperation);
}

TEST(Open, Statuses) {
  ScratchDir dir;
  const std::string path = dir.File("f.dat");
  ASSERT_EQ(CreateFile(path, Definition(0, {})), kStatusSuccess);
  std::ofstream(dir.File("text.txt")) << "just some text, not a database\n";
  std::ofstream(dir.File("empty.dat"));
  const std::string plain = dir.File("plain.db");
  ASSERT_EQ(RunSql(plain, "CREATE TABLE t(x)"), 0);

  struct Case {
    std::string name;
    std::int8_t mode;
    std::uint16_t status;
  };
  const Case cases[] = {
      {path, kOpenNormal, kStatusSuccess},
      {path, kOpenReadOnly, kStatusSuccess},
      {path, 5, kStatusInvalidOperation},
      {"", kOpenNormal, kStatusInvalidFileName},
      {dir.File("missing.dat"), kOpenNormal, kStatusFileNotFound},
      {dir.File("missing/f.dat"), kOpenNormal, kStatusFileNotFound},
      {dir.path(), kOpenNormal, kStatusNotARecordManagerFile},
      {dir.File("text.txt"), kOpenNormal, kStatusNotARecordManagerFile},
      {dir.File("empty.dat"), kOpenNormal, kStatusNotARecordManagerFile},
      {plain, kOpenNormal, kStatusNotARecordManagerFile},
  };
  for (const Case& c : cases) {
    Block block;
    EXPECT_EQ(block.Open(c.name, c.mode), c.status) << c.name << " mode " << int{c.mode};
  }

  // A name that fills the key buffer without its NUL.
  std::uint8_t block[kPositionBlockSize] = {};
  char name[256];
  std::memset(name, 'x', sizeof name);
  std::uint32_t length = 0;
  EXPECT_EQ(BTRCALL(kOpOpen, block, nullptr, &length, name, 255, 0), kStatusInvalidFileName);
}

TEST(Create, Statuses) {
  ScratchDir dir;
  const std::string path = dir.File("f.dat");
  const KeySpec id = {{0, 4, kKeyTypeUnsigned}};
  ASSERT_EQ(CreateFile(path, Definition(4, {id})), kStatusSuccess);

  std::vector<std::uint8_t> short_buffer = Definition(4, {id});
  short_buffer.pop_back();
  struct Case {
    const char* what;
    std::vector<std::uint8_t> definition;
    std::uint16_t status;
  };
  const Case cases[] = {
      {"page size 100", Definition(4, {id}, 100), kStatusInvalidPageSize},
      {"page size 4608", Definition(4, {id}, 4608), kStatusInvalidPageSize},
      {"120 keys", Definition(4, std::vector<KeySpec>(120, id)), kStatusInvalidKeyCount},
      {"segment past the longest record", Definition(4, {{{62998, 4, kKeyTypeBinary}}}),
       kStatusInvalidKeyPosition},
      {"empty segment", Definition(4, {{{0, 0, kKeyTypeBinary}}}), kStatusInvalidKeyLength},
      {"3-byte integer", Definition(4, {{{0, 3, kKeyTypeSigned}}}), kStatusInvalidKeyLength},
      {"unknown type", Definition(4, {{{0, 4, 9}}}), kStatusInvalidKeyLength},
      {"key over 255 bytes", Definition(4, {{{0, 200, kKeyTypeBinary}, {200, 56, kKeyTypeBinary}}}),
       kStatusInvalidKeyLength},
      {"flags differing between segments",
       Definition(4, {{{0, 2, kKeyTypeBinary, kKeyDuplicates}, {2, 2, kKeyTypeBinary}}}),
       kStatusInvalidKeyLength},
      {"minimum past the longest record", Definition(63001, {}), kStatusInvalidRecordLength},
      {"buffer cut short", short_buffer, kStatusDataBufferTooShort},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CreateFile(dir.File("bad.dat"), c.definition), c.status) << c.what;
  }
  EXPECT_EQ(CreateFile(path, Definition(4, {id})), kStatusFileExists);
  EXPECT_EQ(CreateFile(dir.File("missing/f.dat"), Definition(4, {id})), kStatusFileNotFound);
  EXPECT_EQ(CreateFile("", Definition(4, {id})), kStatusInvalidFileName);
  EXPECT_EQ(CreateFile(dir.File("zero page size.dat"), Definition(4, {id}, 0)), kStatusSuccess);
}

TEST(ResetAndStop, CloseEveryFile) {
  ScratchDir dir;
  const std::string path = dir.File("f.dat");
  ASSERT_EQ(CreateFile(path, Definition(4, {{{0, 4, kKeyTypeUnsigned}}})), kStatusSuccess);
  for (std::uint16_t operation : {kOpReset, kOpStop}) {
    Block first;
    Block second;
    ASSERT_EQ(first.Open(path), kStatusSuccess);
    ASSERT_EQ(second.Open(path), kStatusSuccess);
    ASSERT_EQ(first.Insert(Le32(operation)), kStatusSuccess);
    std::uint32_t length = 0;
    EXPECT_EQ(BTRCALL(operation, first.position_block, nullptr, &length, nullptr, 0, 0),
              kStatusSuccess);
    EXPECT_EQ(first.Get(kOpStepFirst), kStatusFileNotOpen);
    EXPECT_EQ(second.Get(kOpStepFirst), kStatusFileNotOpen);
  }
  Block reopened;
  ASSERT_EQ(reopened.Open(path), kStatusSuccess);
  EXPECT_EQ(reopened.GetEqual(Le32(kOpStop), 0), kStatusSuccess);  // written before the Stop
}

}  // namespace
}  // namespace wbtrv32_test
