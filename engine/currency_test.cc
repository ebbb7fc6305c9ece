// The currency rules a repair pass relies on, and key order.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/test_support.h"
#include "engine/wbtrv32.h"

namespace wbtrv32_test {
namespace {

// A memo file's layout: key 0, the pointer in bytes 0-3, unsigned,
// duplicates, modifiable.
std::vector<std::uint8_t> MemoDefinition() {
  return Definition(4, {{{0, 4, kKeyTypeUnsigned, kKeyDuplicates | kKeyModifiable}}});
}

std::string Memo(std::uint32_t pointer, std::size_t length) {
  return RecordOf(Le32(pointer) + "memo " + std::to_string(pointer), length);
}

class CurrencyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("memo.dat");
    ASSERT_EQ(CreateFile(path_, MemoDefinition()), kStatusSuccess);
    ASSERT_EQ(block_.Open(path_), kStatusSuccess);
    for (std::uint32_t i = 0; i < 6; ++i) {
      ASSERT_EQ(block_.Insert(Memo(100 - i, 20 + i)), kStatusSuccess);
      positions_.push_back(block_.Position());
    }
  }

  ScratchDir dir_;
  std::string path_;
  Block block_;
  std::vector<std::uint32_t> positions_;
};

TEST_F(CurrencyTest, ReadsAndInsertMakeTheirRecordCurrent) {
  ASSERT_EQ(block_.Get(kOpStepFirst), kStatusSuccess);
  EXPECT_EQ(block_.Position(), positions_[0]);
  ASSERT_EQ(block_.GetEqual(Le32(97), 0), kStatusSuccess);
  EXPECT_EQ(block_.Position(), positions_[3]);
  ASSERT_EQ(block_.Get(kOpGetNext, 0), kStatusSuccess);  // key order: 98 next
  EXPECT_EQ(block_.Position(), positions_[2]);
  ASSERT_EQ(block_.Get(kOpGetFirst, 0), kStatusSuccess);
  EXPECT_EQ(block_.Position(), positions_[5]);
  ASSERT_EQ(block_.GetDirect(positions_[1]), kStatusSuccess);
  EXPECT_EQ(block_.Position(), positions_[1]);
  ASSERT_EQ(block_.Get(kOpStepNext), kStatusSuccess);
  EXPECT_EQ(block_.Position(), positions_[2]);
  ASSERT_EQ(block_.Insert(Memo(7, 9)), kStatusSuccess);
  const std::uint32_t inserted = block_.Position();
  EXPECT_GT(inserted, positions_[5]);
  ASSERT_EQ(block_.GetDirect(inserted), kStatusSuccess);
  EXPECT_EQ(block_.Record(), Memo(7, 9));
}

TEST_F(CurrencyTest, GetDirectLeavesTheKeyValueOnTheGivenKey) {
  const std::string notes = dir_.File("notes.dat");
  ASSERT_EQ(CreateFile(notes, Definition(16, {{{0, 4, kKeyTypeUnsigned}},
                                              {{8, 4, kKeyTypeBinary, kKeyDuplicates},
                                               {4, 2, kKeyTypeString, kKeyDuplicates}}})),
            kStatusSuccess);
  Block note;
  ASSERT_EQ(note.Open(notes), kStatusSuccess);
  ASSERT_EQ(note.Insert("\x01\x02\x03\x04"
                        "AB__WXYZ tail"),
            kStatusSuccess);
  const std::uint32_t position = note.Position();
  std::memset(note.key, 0, sizeof note.key);
  ASSERT_EQ(note.GetDirect(position, 0), kStatusSuccess);
  EXPECT_EQ(note.Key(4), "\x01\x02\x03\x04");
  ASSERT_EQ(note.GetDirect(position, 1), kStatusSuccess);
  EXPECT_EQ(note.Key(6), "WXYZAB");  // segments in the key's order
  ASSERT_EQ(note.Get(kOpGetNext, 1), kStatusEndOfFile);
}

TEST_F(CurrencyTest, UpdateRewritesAtExactlyTheGivenLength) {
  for (std::size_t length : {4u, 23u, 1000u, 61u}) {
    ASSERT_EQ(block_.GetDirect(positions_[2]), kStatusSuccess);
    ASSERT_EQ(block_.Update(Memo(55, length)), kStatusSuccess);
    ASSERT_EQ(block_.GetDirect(positions_[2]), kStatusSuccess);
    EXPECT_EQ(block_.length, length);
    EXPECT_EQ(block_.Record(), Memo(55, length));
    EXPECT_EQ(block_.Position(), positions_[2]);  // positions are stable
  }
}

TEST_F(CurrencyTest, StepNextGoesOnAfterUpdateAndDelete) {
  ASSERT_EQ(block_.Get(kOpStepFirst), kStatusSuccess);
  std::vector<std::uint32_t> visited = {block_.Position()};
  for (int i = 0;; ++i) {
    if (i % 2 == 0) {
      ASSERT_EQ(block_.Update(Memo(1000 + i, block_.length)), kStatusSuccess);
    } else {
      ASSERT_EQ(block_.Call(kOpDelete), kStatusSuccess);
      std::uint16_t status = kStatusSuccess;
      block_.Position(&status);
      EXPECT_EQ(status, kStatusNoCurrentRecord);
      EXPECT_EQ(block_.Update(Memo(1, 8)), kStatusNoCurrentRecord);
    }
    const std::uint16_t status = block_.Get(kOpStepNext);
    if (status == kStatusEndOfFile) break;
    ASSERT_EQ(status, kStatusSuccess);
    visited.push_back(block_.Position());
  }
  EXPECT_EQ(visited, positions_);
  ASSERT_EQ(block_.Get(kOpStepFirst), kStatusSuccess);
  EXPECT_EQ(block_.Record(), Memo(1000, 20));
  ASSERT_EQ(block_.Get(kOpStepNext), kStatusSuccess);
  EXPECT_EQ(block_.Record(), Memo(1002, 22));
}

TEST_F(CurrencyTest, AWalkThatGrowsEveryRecordVisitsEachOnce) {
  for (std::uint32_t i = 0; i < 300; ++i) {
    ASSERT_EQ(block_.Insert(Memo(i, 30)), kStatusSuccess);
    positions_.push_back(block_.Position());
  }
  std::vector<std::uint32_t> visited;
  for (std::uint16_t status = block_.Get(kOpStepFirst); status == kStatusSuccess;
       status = block_.Get(kOpStepNext)) {
    visited.push_back(block_.Position());
    // Longer records split pages, and some go to overflow pages.
    ASSERT_EQ(block_.Update(Memo(7, 200 + visited.size() * 37)), kStatusSuccess);
  }
  EXPECT_EQ(visited, positions_);
}

TEST_F(CurrencyTest, StepNextFindsARecordInsertedAfterTheLast) {
  Block other;
  ASSERT_EQ(other.Open(path_), kStatusSuccess);
  ASSERT_EQ(block_.GetDirect(positions_[4]), kStatusSuccess);
  ASSERT_EQ(block_.Get(kOpStepNext), kStatusSuccess);  // the last record
  ASSERT_EQ(other.Insert(Memo(1, 10)), kStatusSuccess);
  ASSERT_EQ(block_.Get(kOpStepNext), kStatusSuccess);
  EXPECT_EQ(block_.Record(), Memo(1, 10));
  EXPECT_EQ(block_.Get(kOpStepNext), kStatusEndOfFile);
  ASSERT_EQ(block_.Insert(Memo(2, 10)), kStatusSuccess);  // at the end, and current
  EXPECT_EQ(block_.Get(kOpStepNext), kStatusEndOfFile);
}

TEST_F(CurrencyTest, GetNextGoesOnAfterDeleteInKeyOrder) {
  ASSERT_EQ(block_.Insert(Memo(97, 30)), kStatusSuccess);  // a duplicate, after the first 97
  const std::uint32_t duplicate = block_.Position();
  ASSERT_EQ(block_.GetEqual(Le32(97), 0), kStatusSuccess);
  EXPECT_EQ(block_.Position(), positions_[3]);
  ASSERT_EQ(block_.Call(kOpDelete), kStatusSuccess);
  ASSERT_EQ(block_.Get(kOpGetNext, 0), kStatusSuccess);
  EXPECT_EQ(block_.Position(), duplicate);
  ASSERT_EQ(block_.Get(kOpGetNext, 0), kStatusSuccess);
  EXPECT_EQ(block_.Position(), positions_[2]);
}

TEST_F(CurrencyTest, BlocksOnOneFileNeverDisturbEachOther) {
  Block other;
  ASSERT_EQ(other.Open(path_), kStatusSuccess);
  ASSERT_EQ(block_.Get(kOpStepFirst), kStatusSuccess);
  ASSERT_EQ(other.Get(kOpStepFirst), kStatusSuccess);
  ASSERT_EQ(other.Get(kOpStepNext), kStatusSuccess);
  ASSERT_EQ(other.Get(kOpStepNext), kStatusSuccess);
  ASSERT_EQ(block_.Get(kOpStepNext), kStatusSuccess);
  EXPECT_EQ(block_.Position(), positions_[1]);
  EXPECT_EQ(other.Position(), positions_[2]);

  // A write through one is seen through the other at once.
  ASSERT_EQ(other.Insert(Memo(5, 12)), kStatusSuccess);
  ASSERT_EQ(block_.Position(), positions_[1]);
  ASSERT_EQ(block_.GetEqual(Le32(5), 0), kStatusSuccess);
  EXPECT_EQ(block_.Record(), Memo(5, 12));
  ASSERT_EQ(other.Update(Memo(6, 12)), kStatusSuccess);
  EXPECT_EQ(block_.Call(kOpDelete), kStatusSuccess);
  EXPECT_EQ(other.Update(Memo(7, 12)), kStatusNoCurrentRecord);  // deleted through the other
}

TEST_F(CurrencyTest, TheSameFileUnderTwoNamesIsOneFile) {
  ASSERT_EQ(symlink(path_.c_str(), dir_.File("alias.dat").c_str()), 0);
  Block alias;
  ASSERT_EQ(alias.Open(dir_.File("alias.dat")), kStatusSuccess);
  ASSERT_EQ(block_.Insert(Memo(42, 10)), kStatusSuccess);
  ASSERT_EQ(alias.GetEqual(Le32(42), 0), kStatusSuccess);
  EXPECT_EQ(alias.Position(), block_.Position());
}

// Key order: for each type a set of values, inserted shuffled; Get First and
// Get Next must give them back in the order listed.
struct OrderCase {
  const char* name;
  SegmentSpec segment;
  std::vector<std::string> ascending;
};

class KeyOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(KeyOrderTest, GetNextFollowsTheKeyOrder) {
  const OrderCase& order = GetParam();
  ScratchDir dir;
  const std::string path = dir.File("k.dat");
  SegmentSpec segment = order.segment;
  segment.offset = 2;
  segment.flags |= kKeyDuplicates;
  ASSERT_EQ(CreateFile(path, Definition(2 + segment.length, {{segment}})), kStatusSuccess);
  Block block;
  ASSERT_EQ(block.Open(path), kStatusSuccess);
  std::vector<std::size_t> shuffled(order.ascending.size());
  for (std::size_t i = 0; i < shuffled.size(); ++i) shuffled[i] = i;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
  for (std::size_t i : shuffled) {
    ASSERT_EQ(block.Insert(std::string(1, static_cast<char>(i)) + "-" + order.ascending[i]),
              kStatusSuccess);
  }
  std::vector<std::string> read;
  for (std::uint16_t status = block.Get(kOpGetFirst, 0); status == kStatusSuccess;
       status = block.Get(kOpGetNext, 0)) {
    read.push_back(block.Record().substr(2));
  }
  EXPECT_EQ(read, order.ascending);
}

std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out.push_back(static_cast<char>(b));
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Types, KeyOrderTest,
    ::testing::Values(
        OrderCase{"string", {0, 3, kKeyTypeString}, {"ABC", "ABD", "Abc", "abc", "\xE9xx"}},
        OrderCase{"string_nocase",
                  {0, 3, kKeyTypeString, kKeyCaseInsensitive},
                  {"abc", "ABD", "abe", "XYZ", "\xE9xx"}},
        OrderCase{"unsigned4",
                  {0, 4, kKeyTypeUnsigned},
                  {Bytes({0, 0, 0, 0}), Bytes({1, 0, 0, 0}), Bytes({0, 1, 0, 0}),
                   Bytes({0xFF, 0xFF, 0xFF, 0x7F}), Bytes({0, 0, 0, 0x80}),
                   Bytes({0xFF, 0xFF, 0xFF, 0xFF})}},
        OrderCase{"unsigned8",
                  {0, 8, kKeyTypeUnsigned},
                  {Bytes({1, 0, 0, 0, 0, 0, 0, 0}), Bytes({0, 0, 0, 0, 0, 0, 0, 0x7F}),
                   Bytes({0, 0, 0, 0, 0, 0, 0, 0x80}),
                   Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})}},
        OrderCase{"signed2",
                  {0, 2, kKeyTypeSigned},
                  {Bytes({0, 0x80}), Bytes({0xFF, 0xFF}), Bytes({0, 0}), Bytes({1, 0}),
                   Bytes({0xFF, 0x7F})}},
        OrderCase{"signed8",
                  {0, 8, kKeyTypeSigned},
                  {Bytes({0, 0, 0, 0, 0, 0, 0, 0x80}),
                   Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
                   Bytes({0, 0, 0, 0, 0, 0, 0, 0}),
                   Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F})}},
        OrderCase{"binary",
                  {0, 2, kKeyTypeBinary},
                  {Bytes({0, 0}), Bytes({0, 0xFF}), Bytes({1, 0}), Bytes({0x80, 0}),
                   Bytes({0xFF, 0xFF})}}),
    [](const ::testing::TestParamInfo<OrderCase>& info) { return std::string(info.param.name); });

TEST(KeyOrder, SegmentsCompareInTheKeysOrderEachByItsType) {
  ScratchDir dir;
  const std::string path = dir.File("k.dat");
  // Key 0: a signed byte at 2 first, then a case-insensitive string at 0
  // (all of a key's segments carry its flags; only strings heed the case).
  ASSERT_EQ(
      CreateFile(path,
                 Definition(3, {{{2, 1, kKeyTypeSigned, kKeyDuplicates | kKeyCaseInsensitive},
                                 {0, 2, kKeyTypeString, kKeyDuplicates | kKeyCaseInsensitive}}})),
      kStatusSuccess);
  Block block;
  ASSERT_EQ(block.Open(path), kStatusSuccess);
  for (const char* record : {"ab\x01", "AA\x01", "zz\xFF", "Ab\x01", "aa\x00"}) {
    ASSERT_EQ(block.Insert(std::string(record, 3)), kStatusSuccess);
  }
  std::vector<std::string> read;
  for (std::uint16_t status = block.Get(kOpGetFirst, 0); status == kStatusSuccess;
       status = block.Get(kOpGetNext, 0)) {
    read.push_back(block.Record());
  }
  const std::vector<std::string> expected = {std::string("zz\xFF", 3), std::string("aa\x00", 3),
                                             std::string("AA\x01", 3), std::string("ab\x01", 3),
                                             std::string("Ab\x01", 3)};
  EXPECT_EQ(read, expected);
  ASSERT_EQ(block.GetEqual(std::string("\x01"
                                       "aB",
                                       3),
                           0),
            kStatusSuccess);
  EXPECT_EQ(block.Record(), std::string("ab\x01", 3));  // the first of the equal values
}

}  // namespace
}  // namespace wbtrv32_test
