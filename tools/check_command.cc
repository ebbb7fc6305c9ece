#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "engine/wbtrv32.h"
#include "tools/command_support.h"
#include "tools/commands.h"
#include "tools/status_text.h"

namespace recmgr {
namespace {

int RunCheck(const std::string& name) {
  char report[1024] = {};
  const uint16_t status = wbtrv32_check_file(name.c_str(), report, sizeof report);
  if (status != kStatusSuccess) {
    return Fail("check of " + name + " failed: " + DescribeStatus(status) +
                (report[0] != '\0' ? std::string(": ") + report : std::string()));
  }
  std::printf("%s is sound\n", name.c_str());
  return 0;
}

}  // namespace

void AddCheckCommand(CLI::App* app, int* exit_status) {
  auto file = std::make_shared<std::string>();
  CLI::App* command =
      app->add_subcommand("check", "Check that a file is sound; exit status 0 when it is.");
  command->footer(
      "Runs SQLite's own integrity check, then checks that every key entry matches a\n"
      "record and every record its key entries.");
  command->add_option("FILE", *file, "the file to check; it is opened read-only")->required();
  command->callback([file, exit_status] { *exit_status = RunCheck(*file); });
}

}  // namespace recmgr
