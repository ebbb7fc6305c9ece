// recmgr: makes, inspects and rebuilds files of the embedded record manager.
#include <CLI/CLI.hpp>

#include "tools/commands.h"

int main(int argc, char** argv) {
  CLI::App app{
      "recmgr: make, inspect and rebuild files of the embedded record manager.\n"
      "Records are shown one per line, escaped: printable ASCII as is; backslash, tab,\n"
      "newline and every other byte as \\\\, \\t, \\n and \\xHH."};
  app.require_subcommand(1);
  int exit_status = 0;
  recmgr::AddCreateCommand(&app, &exit_status);
  recmgr::AddLoadCommand(&app, &exit_status);
  recmgr::AddDumpCommand(&app, &exit_status);
  recmgr::AddStatCommand(&app, &exit_status);
  recmgr::AddRebuildCommand(&app, &exit_status);
  recmgr::AddCheckCommand(&app, &exit_status);
  recmgr::AddOwnersCommand(&app, &exit_status);
  recmgr::AddSampleCommand(&app, &exit_status);
  CLI11_PARSE(app, argc, argv);
  return exit_status;
}
