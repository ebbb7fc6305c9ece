// What every subcommand of recmgr shares: failure reports and the opening
// of files with the status in words when that fails.
#ifndef REPOINT_TOOLS_COMMAND_SUPPORT_H_
#define REPOINT_TOOLS_COMMAND_SUPPORT_H_

#include <cstdint>
#include <string>

#include "tools/file_definition.h"
#include "tools/record_file.h"

namespace recmgr {

inline constexpr int kExitFailure = 1;

// Writes "recmgr: MESSAGE" and a newline to standard error; returns
// kExitFailure.
int Fail(const std::string& message);

// Writes "recmgr: cannot WHAT NAME: status N (words)" followed by `aftermath`
// (a sentence on what was left untouched, or empty); returns kExitFailure.
int FailWithStatus(const std::string& what, const std::string& name, uint16_t status,
                   const std::string& aftermath = "");

// Opens `name` on `file`; on failure reports it and returns false.
bool OpenOrReport(RecordFile* file, const std::string& name, OpenMode mode);

// Reads `file`'s definitions and record count; on failure reports it,
// naming the file `name`, and returns false.
bool StatOrReport(RecordFile* file, const std::string& name, FileDefinition* definition,
                  uint32_t* record_count);

// Reports, naming the file `name`, when `definition` has no key `key`, and
// returns false then.
bool KeyExistsOrReport(const FileDefinition& definition, const std::string& name, int key);

// Closes a file that was written; on failure reports that the last writes
// may be lost and returns false.
bool CloseOrReport(RecordFile* file, const std::string& name);

// Listings go to standard output in large pieces: a million small writes
// would cost more than the reads behind them.
// Writes `*text` to standard output and clears it once it holds 64 KiB.
void FlushWhenLarge(std::string* text);
// Writes what `*text` holds; returns false when standard output failed.
bool FlushAll(std::string* text);

}  // namespace recmgr

#endif  // REPOINT_TOOLS_COMMAND_SUPPORT_H_
