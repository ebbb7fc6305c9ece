// The subcommands of recmgr. Each Add...Command function adds one to `app`;
// when that subcommand runs, its exit status (0 or kExitFailure) goes to
// `*exit_status`. Files a subcommand only reads are opened read-only.
#ifndef REPOINT_TOOLS_COMMANDS_H_
#define REPOINT_TOOLS_COMMANDS_H_

namespace CLI {
class App;
}

namespace recmgr {

// create FILE --key SPEC... [--record-length N] [--page-size N]
void AddCreateCommand(CLI::App* app, int* exit_status);
// load FILE [INPUT]: one escaped record per line, an optional position and a
// tab before it (the form dump writes).
void AddLoadCommand(CLI::App* app, int* exit_status);
// dump FILE [--key N]: "POSITION<TAB>RECORD" lines, physical or key order.
void AddDumpCommand(CLI::App* app, int* exit_status);
// stat FILE: definitions and record count for a person to read.
void AddStatCommand(CLI::App* app, int* exit_status);
// rebuild OLD NEW [--order physical|key N]
void AddRebuildCommand(CLI::App* app, int* exit_status);
// check FILE
void AddCheckCommand(CLI::App* app, int* exit_status);
// owners MEMO NOTE [--key N]
void AddOwnersCommand(CLI::App* app, int* exit_status);
// sample DIR [--notes N] [--memos M] [--seed S] ...
void AddSampleCommand(CLI::App* app, int* exit_status);

}  // namespace recmgr

#endif  // REPOINT_TOOLS_COMMANDS_H_
