// The run driver: the fixed sequence of one run of Repoint.
//
// Usage text or run; the two start lines; the record buffers; open the three
// files and Stat the memo file; the repair pass; the summary; close the files
// and release the record manager. Output goes to `out`, the start lines, the
// option messages and the pass's messages to `err`.
#ifndef REPOINT_APP_RUN_DRIVER_H_
#define REPOINT_APP_RUN_DRIVER_H_

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>

#include "platform/console.h"

namespace repoint {

struct RunEnvironment {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  // Opened before the first file and held until the run ends.
  std::function<std::unique_ptr<ConsoleKeyboard>()> open_keyboard = OpenConsoleKeyboard;
};

// The result of the run:
//   0                after the usage text
//   1                no memory for a record buffer
//   11               a file name longer than 255 characters; nothing opened
//   the status       of a failed open of the three files or Stat
//   the pass result  9 at the end of the memo file, -1 after Esc, or the
//                    status that ended the pass
// When the record manager is not loaded the process ends with status 1.
std::int32_t RunRepoint(int argc, const char* const* argv, const RunEnvironment& env = {});

}  // namespace repoint

#endif  // REPOINT_APP_RUN_DRIVER_H_
