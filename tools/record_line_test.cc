#include "tools/record_line.h"

#include <gtest/gtest.h>

namespace recmgr {
namespace {

TEST(RecordLineTest, LineReadsBackWithOrWithoutItsPosition) {
  const std::string bytes("id\t7\n\\\0end", 10);
  std::string line;
  AppendRecordLine(4294967295u, bytes, &line);
  EXPECT_EQ(line, "4294967295\tid\\t7\\n\\\\\\x00end\n");
  std::string record;
  std::string error;
  ASSERT_TRUE(ParseRecordLine(line.substr(0, line.size() - 1), &record, &error)) << error;
  EXPECT_EQ(record, bytes);
  ASSERT_TRUE(ParseRecordLine("id\\t7\\n\\\\\\x00end", &record, &error)) << error;
  EXPECT_EQ(record, bytes);
}

TEST(RecordLineTest, RefusesAPositionThatIsNotANumberOrABadRecord) {
  for (const char* line : {"12a\tabc", "\tabc", "12\tab\tc", "12\tabc\\"}) {
    std::string record;
    std::string error;
    EXPECT_FALSE(ParseRecordLine(line, &record, &error)) << line;
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace recmgr
