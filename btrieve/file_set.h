// The operations on the set of three files that the run driver makes:
// open them into slots 1-3, Stat the memo file, close them all, and release
// the record manager. At debug level 1 or 2 opening and closing are
// announced on the output stream.
#ifndef REPOINT_BTRIEVE_FILE_SET_H_
#define REPOINT_BTRIEVE_FILE_SET_H_

#include <cstdint>

#include "btrieve/file_table.h"
#include "btrieve/guarded_call.h"

namespace repoint {

// The three file names in slot order: old note file, new note file, memo
// file. Each is NUL-terminated and at most kMaxFileNameLength characters.
struct FileNames {
  const char* old_note;
  const char* new_note;
  const char* memo;
};

class FileSet {
 public:
  // data_record_buffer is named by the Open requests and must outlive the
  // FileSet.
  FileSet(FileTable& table, const GuardedCall& call, void* data_record_buffer);

  // Opens `name` (at most kMaxFileNameLength characters) into `slot`.
  // Returns the status of the Open.
  std::int32_t OpenOneFile(int slot, const char* name);

  // Opens all three, whatever the earlier Opens gave. Returns 0 when all
  // three opened, else the first nonzero status in slot order. A file that
  // opened stays open.
  std::int32_t OpenFiles(const FileNames& names);

  // Stat of the file in `slot` into the table's stat buffer. Returns its
  // status; on 0 IndicatedRecordCount() holds the file's record count.
  std::int32_t StatMemoFile(int slot);

  // The unsigned 32-bit little-endian count in bytes 6-9 of the stat buffer.
  std::uint32_t IndicatedRecordCount() const;

  // Closes slots 1, 2 and 3, each whatever the others gave.
  void CloseAllFiles();

  // Reset, then Stop, on slot 1: gives back everything the tool holds in the
  // record manager, files that are still open included.
  void ResetAndStop();

 private:
  FileTable& table_;
  const GuardedCall& call_;
  void* const data_record_buffer_;
};

}  // namespace repoint

#endif  // REPOINT_BTRIEVE_FILE_SET_H_
