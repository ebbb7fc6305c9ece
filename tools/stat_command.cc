#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "tools/command_support.h"
#include "tools/commands.h"
#include "tools/key_syntax.h"

namespace recmgr {
namespace {

int RunStat(const std::string& name) {
  RecordFile file;
  FileDefinition definition;
  uint32_t records = 0;
  if (!OpenOrReport(&file, name, OpenMode::kReadOnly) ||
      !StatOrReport(&file, name, &definition, &records)) {
    return kExitFailure;
  }
  std::printf("file:                  %s\n", name.c_str());
  std::printf("records:               %u\n", records);
  std::printf("minimum record length: %u\n", definition.min_record_length);
  std::printf("page size:             %u\n", definition.page_size);
  std::printf("keys:                  %zu\n", definition.keys.size());
  for (size_t i = 0; i < definition.keys.size(); ++i) {
    const KeyDefinition& key = definition.keys[i];
    std::printf("  key %zu: %s  (%zu bytes)\n", i, FormatKeySpec(key).c_str(), key.ValueLength());
  }
  return 0;
}

}  // namespace

void AddStatCommand(CLI::App* app, int* exit_status) {
  auto file = std::make_shared<std::string>();
  CLI::App* command = app->add_subcommand(
      "stat", "Show a file's record count and definitions; keys in the form create takes.");
  command->add_option("FILE", *file, "the file to read; it is opened read-only")->required();
  command->callback([file, exit_status] { *exit_status = RunStat(*file); });
}

}  // namespace recmgr
