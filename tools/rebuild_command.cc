#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdio>
#include <memory>

#include "tools/command_support.h"
#include "tools/commands.h"
#include "tools/rebuild.h"

namespace recmgr {
namespace {

struct RebuildOptions {
  std::string old_file;
  std::string new_file;
  std::vector<std::string> order{"physical"};
};

// Reads "physical" or "key N" into `*key` (nothing for physical order).
bool ParseOrder(const std::vector<std::string>& order, std::optional<int>* key) {
  if (order.size() == 1 && order[0] == "physical") {
    key->reset();
    return true;
  }
  int number = -1;
  if (order.size() != 2 || order[0] != "key") return false;
  const std::string& text = order[1];
  const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (fault != std::errc() || end != text.data() + text.size() || number < 0 || number > 127) {
    return false;
  }
  *key = number;
  return true;
}

int RunRebuild(const RebuildOptions& options) {
  std::optional<int> key;
  if (!ParseOrder(options.order, &key)) {
    return Fail("--order takes \"physical\" or \"key N\" with N from 0 to 127; nothing was done");
  }
  const std::optional<uint64_t> copied = RebuildFile(options.old_file, options.new_file, key);
  if (!copied) return kExitFailure;
  std::printf("rebuilt %s into %s: %llu records\n", options.old_file.c_str(),
              options.new_file.c_str(), static_cast<unsigned long long>(*copied));
  return 0;
}

}  // namespace

void AddRebuildCommand(CLI::App* app, int* exit_status) {
  auto options = std::make_shared<RebuildOptions>();
  CLI::App* command = app->add_subcommand(
      "rebuild", "Copy a file into a new one that gives its records new positions.");
  command->footer(
      "Copy every record of OLD into a new file NEW with the same definitions.\n"
      "NEW gives the records new positions, in the order of the copy.");
  command->add_option("OLD", options->old_file, "the file to copy; it is opened read-only")
      ->required();
  command->add_option("NEW", options->new_file, "the file to create; an existing file is refused")
      ->required();
  command
      ->add_option("--order", options->order,
                   "physical (the default) or key N: the order in which records are copied")
      ->expected(1, 2);
  command->callback([options, exit_status] { *exit_status = RunRebuild(*options); });
}

}  // namespace recmgr
