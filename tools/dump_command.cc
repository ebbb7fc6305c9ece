#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <optional>

#include "tools/command_support.h"
#include "tools/commands.h"
#include "tools/record_line.h"

namespace recmgr {
namespace {

struct DumpOptions {
  std::string file;
  std::optional<int> key;
};

int RunDump(const DumpOptions& options) {
  RecordFile file;
  if (!OpenOrReport(&file, options.file, OpenMode::kReadOnly)) return kExitFailure;
  std::string out;
  uint16_t status = options.key ? file.GetFirst(*options.key) : file.StepFirst();
  while (status == kStatusSuccess) {
    uint32_t position = 0;
    if ((status = file.GetPosition(&position)) != kStatusSuccess) break;
    AppendRecordLine(position, file.record(), &out);
    FlushWhenLarge(&out);
    status = options.key ? file.GetNext(*options.key) : file.StepNext();
  }
  if (!FlushAll(&out)) return Fail("writing the dump of " + options.file + " failed");
  if (status != kStatusEndOfFile) {
    return FailWithStatus("read", options.file, status,
                          "the records above were dumped; the file was left unchanged");
  }
  return 0;
}

}  // namespace

void AddDumpCommand(CLI::App* app, int* exit_status) {
  auto options = std::make_shared<DumpOptions>();
  CLI::App* command =
      app->add_subcommand("dump", "Write every record as an escaped line after its position.");
  command->footer(
      "Each line: the record's position, a tab, then its bytes escaped. Physical order\n"
      "unless --key names a key. load reads these lines back.");
  command->add_option("FILE", options->file, "the file to read; it is opened read-only")
      ->required();
  command->add_option("--key", options->key, "dump in the order of key N")
      ->check(CLI::Range(0, 127));
  command->callback([options, exit_status] { *exit_status = RunDump(*options); });
}

}  // namespace recmgr
