// One open record manager file: its SQLite connection, its lock against other
// processes, its prepared statements, the transaction that its requests run
// in, and the caches of the records it read.
//
// A process holds one RecordFile per physical file, shared by every position
// block that opened it. RecordFile knows nothing of currency: each request
// names the record or key value it starts from, and reads copy the record into
// the caller's buffer. A request that fails changes nothing.
#ifndef REPOINT_ENGINE_RECORD_FILE_H_
#define REPOINT_ENGINE_RECORD_FILE_H_

#include <sqlite3.h>
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/file_definition.h"
#include "engine/key_value.h"
#include "engine/record_cache.h"
#include "engine/statement.h"

namespace wbtrv32 {

// A read's destination and result.
struct RecordOut {
  void* buffer = nullptr;
  std::uint32_t capacity = 0;
  std::int64_t position = 0;  // out
  std::uint32_t length = 0;   // out
};

class RecordFile {
 public:
  // Creates a new file at `path` with `definition`; never replaces one
  // (59). Returns a status.
  static std::uint16_t Create(const char* path, const FileDefinition& definition);

  // Opens `path`, locked against other processes' writes: exclusively when
  // `for_writing` and the user may write it, shared otherwise. Returns a
  // status; on success `*file` is set.
  static std::uint16_t Open(const char* path, bool for_writing, std::unique_ptr<RecordFile>* file);

  // Commits any pending writes (and syncs the file if it was written), then
  // closes the connection and the lock.
  ~RecordFile();

  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  const FileDefinition& definition() const { return definition_; }
  dev_t device() const { return device_; }
  ino_t inode() const { return inode_; }
  // True when this process may write the file: the user may, and it holds
  // the exclusive lock.
  bool writable() const { return writable_ && exclusive_; }

  // Takes the exclusive lock for a second opener that writes, if the user may
  // write the file. Returns 0, or 85 when another process holds the file.
  std::uint16_t LockForWriting();

  std::uint16_t ReadAt(std::int64_t position, RecordOut* out);
  // The first record after `position` in physical order (-1: the first).
  std::uint16_t StepAfter(std::int64_t position, RecordOut* out);
  std::uint16_t FindEqual(int key, const StoredKey& value, RecordOut* out);
  std::uint16_t FindFirst(int key, RecordOut* out);
  // The first record after (value, position) in the order of `key`.
  std::uint16_t FindNext(int key, const StoredKey& value, std::int64_t position, RecordOut* out);

  std::uint16_t Insert(const std::uint8_t* data, std::uint32_t length, std::int64_t* position);
  // Rewrites the record at `position`: 8 when there is none.
  std::uint16_t Update(std::int64_t position, const std::uint8_t* data, std::uint32_t length);
  std::uint16_t Delete(std::int64_t position);

  std::uint16_t CountRecords(std::uint32_t* count);

  // SQLite's integrity check and the library's invariants (record_check.cc).
  // Returns 0, or 2 with the first problem described in `problem`.
  std::uint16_t Verify(std::string* problem);

  // Commits the running transaction when it is older than `max_age_ns`
  // (0: in any case). Returns a status. A periodic commit (max_age_ns > 0)
  // that fails is also kept, and the file's next write or Close returns it,
  // so that it reaches whoever wrote.
  std::uint16_t CommitIfOlder(std::int64_t now_ns, std::int64_t max_age_ns);
  // The failure of a periodic commit not yet reported, or 0; clears it.
  std::uint16_t TakeCommitFailure();

 private:
  struct KeyStatements {
    Statement equal, first, next_greater, next_same;
  };

  RecordFile() = default;
  std::uint16_t Load();
  std::uint16_t PrepareAll();
  KeyStatements* StatementsOf(int key, std::uint16_t* status);
  std::uint16_t ReadRow(Statement& statement, int data_column, RecordOut* out,
                        std::uint16_t not_found);
  std::uint16_t CopyRow(sqlite3_stmt* row, int data_column, RecordOut* out);
  // Opens the transaction that every request runs in, if none is open.
  std::uint16_t Begin();
  std::uint16_t Execute(const Statement& statement);
  std::uint16_t CheckLength(std::uint32_t length) const;
  // Before any write: the cached reads may no longer hold.
  void ForgetCachedReads();
  // Binds the record (parameter 2) and its stored keys (3, 4, ...).
  void BindRecord(sqlite3_stmt* statement, const std::uint8_t* data, std::uint32_t length);

  sqlite3* db_ = nullptr;
  int lock_fd_ = -1;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  bool writable_ = false;
  bool exclusive_ = false;
  FileDefinition definition_;

  bool in_transaction_ = false;
  std::int64_t transaction_start_ns_ = 0;
  std::int64_t next_position_ = 0;
  bool next_position_dirty_ = false;
  bool written_ = false;  // since the file was opened: Close syncs it
  std::uint16_t commit_failure_ = 0;

  Statement begin_, commit_, save_next_position_;
  Statement read_at_, insert_, update_, delete_, count_;
  // The walk in physical order: running while scan_running_, its last row at
  // scan_position_.
  Statement scan_;
  bool scan_running_ = false;
  std::int64_t scan_position_ = 0;
  std::vector<KeyStatements> key_statements_;
  std::vector<StoredKey> key_scratch_;  // the stored keys of a record being written

  // Records by position (Get Direct) and by key value (Get Equal), as read.
  RecordCache records_{8 << 20, 1 << 18};
  RecordCache records_by_key_{9 << 20, 1 << 18};
  std::vector<std::uint8_t> cache_entry_ =
      std::vector<std::uint8_t>(4 + kMaxKeyLength + 8 + kMaxRecordLength);
  bool sized_for_writing_ = false;  // its page cache grown for a writer's transaction
};

// The monotonic clock, in nanoseconds.
std::int64_t MonotonicNs();

}  // namespace wbtrv32

#endif  // REPOINT_ENGINE_RECORD_FILE_H_
