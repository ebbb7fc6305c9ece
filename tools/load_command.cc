#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>

#include "tools/command_support.h"
#include "tools/commands.h"
#include "tools/escape.h"
#include "tools/record_line.h"

namespace recmgr {
namespace {

struct LoadOptions {
  std::string file;
  std::string input = "-";
};

int RunLoad(const LoadOptions& options) {
  std::ifstream named_input;
  if (options.input != "-") {
    named_input.open(options.input, std::ios::binary);
    if (!named_input) return Fail("cannot read " + options.input + "; nothing was loaded");
  }
  // Unsynchronised, std::cin reads in blocks rather than a character at a
  // time; nothing else in the process reads standard input.
  std::ios::sync_with_stdio(false);
  std::istream& input = options.input == "-" ? std::cin : named_input;
  RecordFile file;
  if (!OpenOrReport(&file, options.file, OpenMode::kReadWrite)) return kExitFailure;
  std::string line;
  std::string record;
  std::string error;
  uint64_t loaded = 0;
  const auto kept = [&loaded] {
    if (loaded == 0) return std::string("nothing was loaded");
    return "the " + std::to_string(loaded) +
           " records before it were loaded and kept, the rest was not loaded";
  };
  for (uint64_t line_number = 1; std::getline(input, line); ++line_number) {
    if (!ParseRecordLine(line, &record, &error)) {
      file.Close();
      return Fail(options.input + " line " + std::to_string(line_number) + ": " + error + "; " +
                  kept());
    }
    if (const uint16_t status = file.Insert(record)) {
      file.Close();
      return FailWithStatus("insert line " + std::to_string(line_number) + " into", options.file,
                            status, kept());
    }
    ++loaded;
  }
  if (input.bad()) {
    file.Close();
    return Fail("reading " + options.input + " failed after " + std::to_string(loaded) +
                " records; those were loaded and kept");
  }
  if (!CloseOrReport(&file, options.file)) return kExitFailure;
  std::printf("loaded %llu records into %s\n", static_cast<unsigned long long>(loaded),
              options.file.c_str());
  return 0;
}

}  // namespace

void AddLoadCommand(CLI::App* app, int* exit_status) {
  auto options = std::make_shared<LoadOptions>();
  CLI::App* command =
      app->add_subcommand("load", "Insert records from escaped lines into an existing file.");
  command->footer(
      "Insert records into an existing file, one escaped record per line. A line may begin\n"
      "with a position and a tab, as dump writes it; the position is ignored, since the\n"
      "file gives each record its own.");
  command->add_option("FILE", options->file, "the file to insert into")->required();
  command->add_option("INPUT", options->input, "the lines to load; - or absent: standard input");
  command->callback([options, exit_status] { *exit_status = RunLoad(*options); });
}

}  // namespace recmgr
