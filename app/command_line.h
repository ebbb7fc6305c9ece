// Repoint's command line:
//   repoint OldNoteFile NewNoteFile MemoFile [/K#] [/P] [/S] [/D | /DD]
// Three file names, then at most three options; an option begins with a
// slash or a hyphen, and its letter is read without regard to case.
#ifndef REPOINT_APP_COMMAND_LINE_H_
#define REPOINT_APP_COMMAND_LINE_H_

#include <cstdint>
#include <cstdio>

#include "btrieve/file_set.h"

namespace repoint {

// Final before the first file is opened.
struct RunSettings {
  int debug_level = 0;           // 0 off, 1 debug (/D), 2 super debug (/DD)
  std::int32_t key_number = 0;   // /K#
  bool purge = false;            // /P
  bool status_reporting = true;  // off with /S
};

struct CommandLine {
  enum class Action {
    kUsage,        // write the usage text
    kNameTooLong,  // refuse: `too_long` names the argument
    kRun,
  };
  Action action = Action::kUsage;
  RunSettings settings;
  // Point into the argument vector; valid for kRun.
  FileNames names = {};
  // "OldNoteFile", "NewNoteFile" or "MemoFile"; valid for kNameTooLong.
  const char* too_long = nullptr;
};

// Reads argv[0..argc). The usage text is asked for by a count other than
// four to seven arguments, or by a question mark as first or second
// character of the first argument. A file name longer than
// kMaxFileNameLength is refused. Otherwise the arguments after the three
// file names are scanned from the last to the first, so that of a letter
// given twice the leftmost stays in force; the file names themselves are
// never taken for options, so an absolute path cannot switch one on. The
// scan writes its messages to `err`: "Debug Enabled!" (after "Super " for
// /DD) and "Using Key Number %d." (/K#: base-10, clamped to 32 bits).
CommandLine ReadCommandLine(int argc, const char* const* argv, std::FILE* err);

}  // namespace repoint

#endif  // REPOINT_APP_COMMAND_LINE_H_
