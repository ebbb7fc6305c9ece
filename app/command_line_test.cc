#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/memory_stream.h"

namespace repoint {
namespace {

using Action = CommandLine::Action;
using testing::MemoryStream;

struct Read {
  CommandLine line;
  std::string err;
};

Read ReadArguments(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "repoint");
  MemoryStream err;
  const CommandLine line =
      ReadCommandLine(static_cast<int>(arguments.size()), arguments.data(), err.file());
  return {line, err.Text()};
}

TEST(CommandLineTest, UsageIsAskedForByTheArgumentCountOrAQuestionMarkLeadingTheFirstArgument) {
  const std::vector<std::vector<const char*>> usage_cases = {
      {},
      {"old"},
      {"old", "new"},
      {"old", "new", "memo", "/K1", "/P", "/S", "/D"},
      {"/?", "new", "memo"},
      {"-?", "new", "memo"},
      {"?", "new", "memo"},
      {"x?", "new", "memo", "/P"},
  };
  for (const auto& arguments : usage_cases) {
    const Read read = ReadArguments(arguments);
    EXPECT_EQ(read.line.action, Action::kUsage) << arguments.size();
    EXPECT_EQ(read.err, "");
  }
  EXPECT_EQ(ReadArguments({"old", "new", "memo", "/K1", "/P", "/S"}).line.action, Action::kRun);
  EXPECT_EQ(ReadArguments({"od?", "new", "memo"}).line.action, Action::kRun);
}

struct OptionCase {
  std::vector<const char*> options;
  int debug_level;
  std::int32_t key_number;
  bool purge;
  bool status_reporting;
  const char* err;
};

void PrintTo(const OptionCase& c, std::ostream* os) {
  for (const char* option : c.options) *os << option << ' ';
}

class OptionScanTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(OptionScanTest, SetsTheRunSettingsAndWritesItsMessagesFromTheLastOptionBackwards) {
  const OptionCase& c = GetParam();
  std::vector<const char*> arguments = {"old", "new", "memo"};
  arguments.insert(arguments.end(), c.options.begin(), c.options.end());
  const Read read = ReadArguments(arguments);

  ASSERT_EQ(read.line.action, Action::kRun);
  EXPECT_EQ(read.line.settings.debug_level, c.debug_level);
  EXPECT_EQ(read.line.settings.key_number, c.key_number);
  EXPECT_EQ(read.line.settings.purge, c.purge);
  EXPECT_EQ(read.line.settings.status_reporting, c.status_reporting);
  EXPECT_EQ(read.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(
    Options, OptionScanTest,
    ::testing::Values(
        OptionCase{{}, 0, 0, false, true, ""},
        OptionCase{{"/D"}, 1, 0, false, true, "Debug Enabled!\n"},
        OptionCase{{"/d"}, 1, 0, false, true, "Debug Enabled!\n"},
        OptionCase{{"-D"}, 1, 0, false, true, "Debug Enabled!\n"},
        OptionCase{{"/Debug"}, 1, 0, false, true, "Debug Enabled!\n"},
        OptionCase{{"/DD"}, 2, 0, false, true, "Super Debug Enabled!\n"},
        OptionCase{{"/dd"}, 2, 0, false, true, "Super Debug Enabled!\n"},
        OptionCase{{"/Dd"}, 2, 0, false, true, "Super Debug Enabled!\n"},
        OptionCase{{"/DD", "/D"}, 2, 0, false, true, "Debug Enabled!\nSuper Debug Enabled!\n"},
        OptionCase{{"/S"}, 0, 0, false, false, ""}, OptionCase{{"-status"}, 0, 0, false, false, ""},
        OptionCase{{"/P"}, 0, 0, true, true, ""}, OptionCase{{"/purge"}, 0, 0, true, true, ""},
        OptionCase{{"/K1", "/K2"}, 0, 1, false, true, "Using Key Number 2.\nUsing Key Number 1.\n"},
        OptionCase{{"/K"}, 0, 0, false, true, "Using Key Number 0.\n"},
        OptionCase{{"/Kx"}, 0, 0, false, true, "Using Key Number 0.\n"},
        OptionCase{{"/Key5"}, 0, 0, false, true, "Using Key Number 0.\n"},
        OptionCase{{"/K12abc"}, 0, 12, false, true, "Using Key Number 12.\n"},
        OptionCase{{"-k-1"}, 0, -1, false, true, "Using Key Number -1.\n"},
        OptionCase{{"/K 7"}, 0, 7, false, true, "Using Key Number 7.\n"},
        OptionCase{{"/K99999999999"}, 0, 2147483647, false, true, "Using Key Number 2147483647.\n"},
        OptionCase{
            {"/K-99999999999"}, 0, -2147483647 - 1, false, true, "Using Key Number -2147483648.\n"},
        OptionCase{{"/X", "/", "-"}, 0, 0, false, true, ""},
        OptionCase{{"plain", "/P"}, 0, 0, true, true, ""},
        OptionCase{{"/K3", "/P", "/DD"},
                   2,
                   3,
                   true,
                   true,
                   "Super Debug Enabled!\nUsing Key Number 3.\n"}));

TEST(CommandLineTest, FileNamesAreTheFirstThreeArgumentsAndNeverTakenForOptions) {
  const Read read = ReadArguments({"/S", "/data/old", "-p.dat", "memo"});

  ASSERT_EQ(read.line.action, Action::kRun);
  EXPECT_STREQ(read.line.names.old_note, "/S");
  EXPECT_STREQ(read.line.names.new_note, "/data/old");
  EXPECT_STREQ(read.line.names.memo, "-p.dat");
  EXPECT_EQ(read.line.settings.debug_level, 0);
  EXPECT_FALSE(read.line.settings.purge);
  EXPECT_TRUE(read.line.settings.status_reporting);
  EXPECT_EQ(read.err, "");

  for (const char* memo : {"/pub/memo", "/data/memo", "-s.dat", "/K5"}) {
    const Read absolute = ReadArguments({"old", "new", memo});
    EXPECT_FALSE(absolute.line.settings.purge) << memo;
    EXPECT_EQ(absolute.line.settings.debug_level, 0) << memo;
    EXPECT_TRUE(absolute.line.settings.status_reporting) << memo;
    EXPECT_EQ(absolute.err, "") << memo;
  }
}

TEST(CommandLineTest, ANameLongerThan255CharactersIsRefusedByItsArgumentBeforeAnyOption) {
  const std::string longest(255, 'n');
  const std::string too_long(256, 'n');
  EXPECT_EQ(ReadArguments({longest.c_str(), longest.c_str(), longest.c_str()}).line.action,
            Action::kRun);
  const struct {
    std::vector<const char*> arguments;
    const char* refused;
  } cases[] = {{{too_long.c_str(), "new", "memo", "/D"}, "OldNoteFile"},
               {{"old", too_long.c_str(), too_long.c_str(), "/D"}, "NewNoteFile"},
               {{"old", "new", too_long.c_str(), "/D"}, "MemoFile"}};
  for (const auto& c : cases) {
    const Read read = ReadArguments(c.arguments);
    EXPECT_EQ(read.line.action, Action::kNameTooLong);
    EXPECT_STREQ(read.line.too_long, c.refused);
    EXPECT_EQ(read.err, "");
  }
}

}  // namespace
}  // namespace repoint
