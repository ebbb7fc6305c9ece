// The guarded call: every request to the record manager passes through it,
// and it holds the tool's one status policy.
//
// At debug level 2 each request writes one trace line to the output stream,
// "Op: %d, Buflen: %d, KeyNum: %d Status: %d". The policy then:
//   0, 3, 4, 5, 9, 12, 22, 43  silent
//   2                          "Data File Corruption (Status 2) Detected!"
//   20                         "Please load the Btrieve Record Manager", and
//                              the process ends with exit status 1
//   30                         "<file name>: Not a Btrieve File"
//   any other, negative too    "Btrieve Error <status>: Operation=<op>,
//                              File=<file name>"
// Reports go to the error stream; every status but 20 is returned.
#ifndef REPOINT_BTRIEVE_GUARDED_CALL_H_
#define REPOINT_BTRIEVE_GUARDED_CALL_H_

#include <cstdint>
#include <cstdio>

#include "btrieve/file_table.h"

namespace repoint {

class GuardedCall {
 public:
  // debug_level: 0 off, 1 debug, 2 super debug (traces every request).
  GuardedCall(int debug_level, std::FILE* out, std::FILE* err);

  // Makes the request that `block` describes. Returns its status, the
  // record manager's 16 bits read as signed; does not return on status 20.
  std::int32_t operator()(FileControlBlock& block) const;

  int debug_level() const { return debug_level_; }
  std::FILE* out() const { return out_; }
  std::FILE* err() const { return err_; }

 private:
  void ApplyStatusPolicy(std::int32_t status, const FileControlBlock& block) const;

  const int debug_level_;
  std::FILE* const out_;
  std::FILE* const err_;
};

}  // namespace repoint

#endif  // REPOINT_BTRIEVE_GUARDED_CALL_H_
