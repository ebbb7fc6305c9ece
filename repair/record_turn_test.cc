#include "repair/record_turn.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/memory_stream.h"
#include "tests/support/typed_keys.h"

namespace repoint {
namespace {

using testing::MemoryStream;
using testing::TypedKeys;

// Runs a pass of `records` memo records through the turn, as the pass does,
// and returns what it wrote.
std::string ProgressOfPass(std::int32_t interval, std::uint32_t indicated, std::uint32_t records) {
  TypedKeys keyboard;
  MemoryStream err;
  RecordTurn turn(keyboard, err.file(), interval, indicated);
  for (std::uint32_t scanned = 1; scanned <= records; ++scanned) {
    EXPECT_FALSE(turn.AbortRequested());
    turn.RecordCounted(scanned);
  }
  turn.WalkEnded();
  return err.Text();
}

constexpr char kMarks[] = "-\\|/";

// Takes the turning marks ("X\b") out of a progress field; returns them.
std::string TakeOutMarks(std::string& field) {
  std::string marks, rest;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (i + 1 < field.size() && field[i + 1] == '\b' &&
        std::string_view(kMarks).find(field[i]) != std::string_view::npos) {
      marks += field[i++];
    } else {
      rest += field[i];
    }
  }
  field = rest;
  return marks;
}

// Each mark is the one after its predecessor in "-\|/", round and round.
void ExpectMarksFollowOn(const std::string& marks) {
  for (std::size_t i = 1; i < marks.size(); ++i) {
    const std::size_t before = std::string_view(kMarks).find(marks[i - 1]);
    EXPECT_EQ(marks[i], kMarks[(before + 1) % 4]) << "mark " << i;
  }
}

std::string PercentageLine(int value) {
  char line[16];
  std::snprintf(line, sizeof line, "%03d%%\b\b\b\b", value);
  return line;
}

struct ProgressCase {
  std::uint32_t indicated;
  std::int32_t interval;  // as the run driver derives it
  std::vector<int> percentages;
};

std::vector<int> Range(int first, int last, int step) {
  std::vector<int> values;
  for (int v = first; v <= last; v += step) values.push_back(v);
  return values;
}

class ProgressFieldCountTest : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressFieldCountTest, WritesMarksPercentagesAndClosing) {
  const ProgressCase& c = GetParam();
  std::string field = ProgressOfPass(c.interval, c.indicated, c.indicated);

  const std::string marks = TakeOutMarks(field);
  EXPECT_EQ(marks.size(), c.indicated / 100);
  ExpectMarksFollowOn(marks);

  std::string expected;
  for (int value : c.percentages) expected += PercentageLine(value);
  EXPECT_EQ(field, expected + "100%");
}

INSTANTIATE_TEST_SUITE_P(IndicatedCounts, ProgressFieldCountTest,
                         ::testing::Values(ProgressCase{10, 1, Range(10, 100, 10)},
                                           ProgressCase{1234, 123, Range(9, 99, 10)},
                                           ProgressCase{5000, 500, Range(10, 100, 10)},
                                           ProgressCase{100001, 1000, Range(0, 99, 1)}),
                         [](const ::testing::TestParamInfo<ProgressCase>& info) {
                           return "Count" + std::to_string(info.param.indicated);
                         });

// At record 500 of 5000 both are due: the mark comes first, and the
// percentage line overwrites it at once.
TEST(ProgressFieldTest, MarkComesBeforePercentageOnTheSameRecord) {
  const std::string field = ProgressOfPass(500, 5000, 500);
  ASSERT_EQ(field.size(), 5 * 2 + 8 + 4);
  EXPECT_EQ(field.substr(8, 2 + 8), std::string(1, field[8]) + "\b" + PercentageLine(10));
  EXPECT_NE(std::string_view(kMarks).find(field[8]), std::string_view::npos);
}

// Off (/S, or an indicated count below 10), or an interval that only a
// count beyond any real file could give: nothing but the closing 100%.
TEST(ProgressFieldTest, NoProgressWithoutInterval) {
  for (std::int32_t interval : {0, -1, -2147483647 - 1}) {
    EXPECT_EQ(ProgressOfPass(interval, 5000, 5000), "100%") << interval;
  }
}

TEST(ProgressFieldTest, EmptyMemoFileShowsOnlyClosing) {
  EXPECT_EQ(ProgressOfPass(500, 5000, 0), "100%");
}

// More records than indicated: the percentage rises past 100, four digits
// from 1000 on, still backed over by four backspaces.
TEST(ProgressFieldTest, PercentagesAreNotCapped) {
  std::string field = ProgressOfPass(1, 10, 101);
  TakeOutMarks(field);
  EXPECT_EQ(field.substr(10 * 8, 2 * 8), PercentageLine(110) + PercentageLine(120));
  EXPECT_EQ(field.substr(99 * 8), "1000%\b\b\b\b1010%\b\b\b\b100%");
}

// Where 32-bit arithmetic would overflow the percentage is the true
// quotient, truncated.
TEST(ProgressFieldTest, PercentageBeyondThirtyTwoBits) {
  struct Case {
    std::uint32_t scanned, indicated;
    const char* line;
  };
  const Case cases[] = {
      {21474836, 21474836, "100%\b\b\b\b"},        // last product that fits
      {21474837, 21474837, "100%\b\b\b\b"},        // first that does not
      {21474837, 10, "214748370%\b\b\b\b"},        //
      {4294967295u, 4294967295u, "100%\b\b\b\b"},  // divisor beyond signed
      {1, 4294967295u, "000%\b\b\b\b"},           {4294967295u, 3000000000u, "143%\b\b\b\b"},
  };
  for (const Case& c : cases) {
    TypedKeys keyboard;
    MemoryStream err;
    RecordTurn turn(keyboard, err.file(), 1, c.indicated);
    turn.RecordCounted(c.scanned);
    std::string field = err.Text();
    TakeOutMarks(field);
    EXPECT_EQ(field, c.line) << c.scanned << " of " << c.indicated;
  }
}

// The mark position lives as long as the process: a second pass goes on
// where the first stopped.
TEST(TurningMarksTest, FollowOnAcrossPasses) {
  std::string first = ProgressOfPass(1000000, 1000000, 300);
  std::string second = ProgressOfPass(1000000, 1000000, 500);
  const std::string marks = TakeOutMarks(first) + TakeOutMarks(second);
  EXPECT_EQ(marks.size(), 8u);
  ExpectMarksFollowOn(marks);
}

struct KeyCase {
  const char* name;
  std::deque<int> codes;
  int stop_at_record;  // 0: never
};

// Test output names a case instead of dumping its bytes.
void PrintTo(const KeyCase& c, std::ostream* out) { *out << c.name; }

class AbortKeyTest : public ::testing::TestWithParam<KeyCase> {};

// One code is read per record, in the order typed; only 27 stops.
TEST_P(AbortKeyTest, StopsOnlyAtEsc) {
  const KeyCase& c = GetParam();
  TypedKeys keyboard(c.codes);
  MemoryStream err;
  RecordTurn turn(keyboard, err.file(), 0, 0);
  int stopped_at = 0;
  for (int record = 1; record <= 6 && stopped_at == 0; ++record) {
    const std::size_t before = keyboard.CodesLeft();
    if (turn.AbortRequested()) stopped_at = record;
    EXPECT_EQ(keyboard.CodesLeft(), before == 0 ? 0 : before - 1) << "record " << record;
  }
  EXPECT_EQ(stopped_at, c.stop_at_record);
  EXPECT_EQ(err.Text(), c.stop_at_record ? "\nRepoint Terminated by the User.\n" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Codes, AbortKeyTest,
    ::testing::Values(KeyCase{"NoKey", {}, 0}, KeyCase{"Esc", {27}, 1},
                      KeyCase{"ThreeKeysThenEsc", {'a', 'b', 13, 27}, 4},
                      KeyCase{"CursorKey", {224, 72}, 0}, KeyCase{"FunctionKey", {0, 59}, 0},
                      KeyCase{"CursorKeyThenEsc", {224, 72, 27}, 3},
                      KeyCase{"LeadThenEscCode", {0, 27}, 2}, KeyCase{"FailedRead", {-1}, 0}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace repoint
