// Runs a real binary the way a user's shell would, and collects what it
// wrote and how it ended.
#ifndef REPOINT_TESTS_SUPPORT_RUN_PROCESS_H_
#define REPOINT_TESTS_SUPPORT_RUN_PROCESS_H_

#include <string>
#include <utility>
#include <vector>

namespace repoint::testing {

struct ProcessResult {
  // The exit status, or 128 + the signal that ended the process.
  int exit_status = -1;
  std::string out;  // standard output, or both streams when merged
  std::string err;  // standard error, empty when merged
};

enum class Streams {
  kSeparate,
  // Both into one file, as a terminal shows them: their interleaving is kept
  // when the process writes through.
  kMerged,
};

// Runs `binary` with `arguments` (argv[0] is `binary`), with this process's
// environment plus `environment` (NAME, value pairs, replacing any of the
// same name), no standard input, in `directory` when not empty.
ProcessResult RunProcess(const std::string& binary, const std::vector<std::string>& arguments,
                         const std::vector<std::pair<std::string, std::string>>& environment = {},
                         Streams streams = Streams::kSeparate, const std::string& directory = "");

}  // namespace repoint::testing

#endif  // REPOINT_TESTS_SUPPORT_RUN_PROCESS_H_
