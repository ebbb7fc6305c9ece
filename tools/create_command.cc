#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "tools/command_support.h"
#include "tools/commands.h"
#include "tools/key_syntax.h"

namespace recmgr {
namespace {

struct CreateOptions {
  std::string file;
  std::vector<std::string> keys;
  uint16_t record_length = 0;
  uint16_t page_size = 4096;
};

int RunCreate(const CreateOptions& options) {
  FileDefinition definition;
  definition.min_record_length = options.record_length;
  definition.page_size = options.page_size;
  for (size_t i = 0; i < options.keys.size(); ++i) {
    KeyDefinition key;
    std::string error;
    if (!ParseKeySpec(options.keys[i], &key, &error)) {
      return Fail("key " + std::to_string(i) + " \"" + options.keys[i] + "\": " + error +
                  "; no file was created");
    }
    definition.keys.push_back(key);
  }
  const uint16_t status = CreateRecordFile(options.file, definition);
  if (status != 0) return FailWithStatus("create", options.file, status);
  std::printf("created %s; keys: %zu\n", options.file.c_str(), definition.keys.size());
  return 0;
}

}  // namespace

void AddCreateCommand(CLI::App* app, int* exit_status) {
  auto options = std::make_shared<CreateOptions>();
  CLI::App* command = app->add_subcommand("create", "Create an empty file with the given keys.");
  command->add_option("FILE", options->file, "the file to create; an existing file is refused")
      ->required();
  command->add_option(
      "--key", options->keys,
      std::string("a key, numbered 0, 1, ... in the order given:\n") + kKeySpecHelp);
  command
      ->add_option("--record-length", options->record_length,
                   "minimum record length in bytes (default 0)")
      ->check(CLI::Range(0, 63000));
  command
      ->add_option("--page-size", options->page_size, "page size: 512 to 4096, a multiple of 512")
      ->check(CLI::IsMember({512, 1024, 1536, 2048, 2560, 3072, 3584, 4096}));
  command->callback([options, exit_status] { *exit_status = RunCreate(*options); });
}

}  // namespace recmgr
