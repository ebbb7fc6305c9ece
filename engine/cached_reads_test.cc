// Get Direct and Get Equal answer repeated requests from the records they
// read: every write to the file must show in the next read, and a file read
// over and over, more than the cache holds, must still read right.
#include <gtest/gtest.h>

#include "engine/test_support.h"
#include "engine/wbtrv32.h"

namespace wbtrv32_test {
namespace {

TEST(CachedReads, EveryWriteShowsInTheNextRead) {
  ScratchDir dir;
  const std::string path = dir.File("notes.dat");
  ASSERT_EQ(
      CreateFile(path, Definition(8, {{{0, 4, kKeyTypeUnsigned}},
                                      {{4, 4, kKeyTypeBinary, kKeyDuplicates | kKeyModifiable}}})),
      kStatusSuccess);
  Block writer, reader;
  ASSERT_EQ(writer.Open(path), kStatusSuccess);
  ASSERT_EQ(reader.Open(path), kStatusSuccess);
  ASSERT_EQ(writer.Insert(Le32(1) + "aaaa first"), kStatusSuccess);
  const std::uint32_t position = writer.Position();

  for (int round = 0; round < 2; ++round) {  // the second round reads from the cache
    ASSERT_EQ(reader.GetDirect(position), kStatusSuccess);
    EXPECT_EQ(reader.Record(), Le32(1) + "aaaa first");
    ASSERT_EQ(reader.GetEqual(Le32(1), 0), kStatusSuccess);
    EXPECT_EQ(reader.Record(), Le32(1) + "aaaa first");
    ASSERT_EQ(reader.GetEqual("aaaa", 1), kStatusSuccess);
  }
  ASSERT_EQ(writer.Update(Le32(1) + "bbbb second, longer"), kStatusSuccess);
  ASSERT_EQ(reader.GetDirect(position), kStatusSuccess);
  EXPECT_EQ(reader.Record(), Le32(1) + "bbbb second, longer");
  ASSERT_EQ(reader.GetEqual(Le32(1), 0), kStatusSuccess);
  EXPECT_EQ(reader.Record(), Le32(1) + "bbbb second, longer");
  EXPECT_EQ(reader.GetEqual("aaaa", 1), kStatusKeyNotFound);

  // An earlier duplicate inserted later does not come first: positions rise.
  ASSERT_EQ(writer.Insert(Le32(2) + "bbbb third"), kStatusSuccess);
  ASSERT_EQ(reader.GetEqual("bbbb", 1), kStatusSuccess);
  EXPECT_EQ(reader.Position(), position);

  ASSERT_EQ(writer.GetDirect(position), kStatusSuccess);
  ASSERT_EQ(writer.Call(kOpDelete), kStatusSuccess);
  EXPECT_EQ(reader.GetDirect(position), kStatusInvalidPosition);
  EXPECT_EQ(reader.GetEqual(Le32(1), 0), kStatusKeyNotFound);
  ASSERT_EQ(reader.GetEqual("bbbb", 1), kStatusSuccess);
  EXPECT_EQ(reader.Record(), Le32(2) + "bbbb third");
}

TEST(CachedReads, AFileLargerThanTheCacheReadsRightAgainAndAgain) {
  ScratchDir dir;
  const std::string path = dir.File("large.dat");
  ASSERT_EQ(CreateFile(path, Definition(4, {{{0, 4, kKeyTypeUnsigned}}})), kStatusSuccess);
  Block block;
  ASSERT_EQ(block.Open(path), kStatusSuccess);
  std::vector<std::uint32_t> positions;
  constexpr std::uint32_t kRecords = 400;  // 16 MiB of records in all
  for (std::uint32_t id = 0; id < kRecords; ++id) {
    ASSERT_EQ(block.Insert(RecordOf(Le32(id), 40000 + id)), kStatusSuccess);
    positions.push_back(block.Position());
  }
  for (int pass = 0; pass < 3; ++pass) {
    for (std::uint32_t i = 0; i < kRecords; ++i) {
      const std::uint32_t id = (i * 7 + pass) % kRecords;
      ASSERT_EQ(block.GetDirect(positions[id]), kStatusSuccess);
      ASSERT_EQ(block.Record(), RecordOf(Le32(id), 40000 + id)) << "pass " << pass;
      ASSERT_EQ(block.GetEqual(Le32(id), 0), kStatusSuccess);
      ASSERT_EQ(block.Record(), RecordOf(Le32(id), 40000 + id)) << "pass " << pass;
      ASSERT_EQ(block.Position(), positions[id]);
    }
  }
}

}  // namespace
}  // namespace wbtrv32_test
