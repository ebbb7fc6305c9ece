#include "engine/record_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "engine/byte_order.h"
#include "engine/file_format.h"
#include "engine/sqlite_status.h"
#include "engine/wbtrv32.h"

namespace wbtrv32 {
namespace {

std::uint16_t StatusFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return kStatusFileNotFound;
    case EACCES:
    case EPERM:
      return kStatusPermissionDenied;
    case ENAMETOOLONG:
    case ELOOP:
      return kStatusInvalidFileName;
    case EEXIST:
      return kStatusFileExists;
    case ENOSPC:
    case EDQUOT:
      return kStatusDiskFull;
    case EROFS:
      return kStatusReadOnly;
    case EWOULDBLOCK:
      return kStatusFileLocked;
    default:
      return kStatusIoError;
  }
}

std::string SchemaSql(const FileDefinition& definition) {
  std::string sql =
      "CREATE TABLE meta(id INTEGER PRIMARY KEY CHECK (id = 0), "
      "min_record_length INTEGER NOT NULL, page_size INTEGER NOT NULL, "
      "file_flags INTEGER NOT NULL, next_position INTEGER NOT NULL, "
      "key_segments BLOB NOT NULL);"
      "CREATE TABLE records(pos INTEGER PRIMARY KEY, data BLOB NOT NULL";
  for (std::size_t k = 0; k < definition.keys.size(); ++k) sql += ", " + KeyColumn(k);
  sql += ");";
  for (std::size_t k = 0; k < definition.keys.size(); ++k) {
    const bool unique = (definition.keys[k].flags & kKeyDuplicates) == 0;
    sql += std::string(unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + KeyIndex(k) +
           " ON records(" + KeyColumn(k) + ");";
  }
  return sql;
}

std::int64_t NextPositionAfter(std::int64_t position, std::uint32_t length) {
  return position + ((std::int64_t{length} + 3) & ~std::int64_t{3}) + kRecordOverhead;
}

}  // namespace

std::int64_t MonotonicNs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return std::int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

std::uint16_t RecordFile::Create(const char* path, const FileDefinition& definition) {
  const int fd = open(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return StatusFromErrno(errno);
  flock(fd, LOCK_EX | LOCK_NB);
  sqlite3* db = nullptr;
  int result = sqlite3_open_v2(path, &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (result == SQLITE_OK) {
    const std::string setup = "PRAGMA page_size = " + std::to_string(kSqlitePageSize) +
                              "; PRAGMA application_id = " + std::to_string(kApplicationId) +
                              "; PRAGMA user_version = " + std::to_string(kFormatVersion) +
                              "; BEGIN; " + SchemaSql(definition);
    result = sqlite3_exec(db, setup.c_str(), nullptr, nullptr, nullptr);
  }
  if (result == SQLITE_OK) {
    Statement meta;
    result = meta.Prepare(db, "INSERT INTO meta VALUES (0, ?1, ?2, ?3, ?4, ?5)");
    if (result == SQLITE_OK) {
      const std::vector<std::uint8_t> segments = EncodeSegments(definition);
      sqlite3_bind_int(meta.get(), 1, definition.min_record_length);
      sqlite3_bind_int(meta.get(), 2, definition.page_size);
      sqlite3_bind_int(meta.get(), 3, definition.file_flags);
      sqlite3_bind_int64(meta.get(), 4, definition.page_size);
      // A file without keys has an empty segment list: a blob still, not NULL.
      static const std::uint8_t kNone = 0;
      sqlite3_bind_blob(meta.get(), 5, segments.empty() ? &kNone : segments.data(),
                        static_cast<int>(segments.size()), SQLITE_TRANSIENT);
      result = sqlite3_step(meta.get());
      if (result == SQLITE_DONE) result = SQLITE_OK;
    }
  }
  if (result == SQLITE_OK) result = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  if (result != SQLITE_OK) unlink(path);
  close(fd);
  if (result != SQLITE_OK) return StatusFromSqlite(result);
  return kStatusSuccess;
}

std::uint16_t RecordFile::Open(const char* path, bool for_writing,
                               std::unique_ptr<RecordFile>* file) {
  // O_NONBLOCK: a FIFO of that name must not hang the open.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return StatusFromErrno(errno);
  std::unique_ptr<RecordFile> opened(new RecordFile);
  opened->lock_fd_ = fd;
  struct stat info;
  if (fstat(fd, &info) != 0) return StatusFromErrno(errno);
  if (!S_ISREG(info.st_mode)) return kStatusNotARecordManagerFile;
  opened->device_ = info.st_dev;
  opened->inode_ = info.st_ino;
  opened->writable_ = faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) == 0;
  opened->exclusive_ = for_writing && opened->writable_;
  if (flock(fd, (opened->exclusive_ ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    return StatusFromErrno(errno);
  }
  const int flags =
      (opened->writable_ ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path, &opened->db_, flags, nullptr) != SQLITE_OK) return kStatusIoError;
  sqlite3_extended_result_codes(opened->db_, 1);
  const std::uint16_t status = opened->Load();
  if (status != kStatusSuccess) return status;
  *file = std::move(opened);
  return kStatusSuccess;
}

std::uint16_t RecordFile::Load() {
  Statement query;
  const auto pragma_value = [&](const char* sql, std::int64_t* value) -> std::uint16_t {
    int result = query.Prepare(db_, sql);
    if (result == SQLITE_OK) result = sqlite3_step(query.get());
    if (result != SQLITE_ROW) return StatusFromSqlite(result);
    *value = sqlite3_column_int64(query.get(), 0);
    return kStatusSuccess;
  };
  std::int64_t application_id = 0, version = 0;
  std::uint16_t status = pragma_value("PRAGMA application_id", &application_id);
  if (status == kStatusSuccess) status = pragma_value("PRAGMA user_version", &version);
  if (status != kStatusSuccess) return status;
  if (application_id != kApplicationId || version != kFormatVersion) {
    return kStatusNotARecordManagerFile;
  }
  // The lock against other processes makes SQLite's own locking per request
  // needless: holding its lock saves a system call or two on every request.
  // Commits sync the journal before the file is overwritten, so that a power
  // loss or a crash of the system, not only of the process, leaves the file
  // sound: it may be the user's only copy. A file only read needs few pages
  // of its own: the record caches serve it.
  if (sqlite3_exec(db_,
                   "PRAGMA cache_size = -1024; PRAGMA synchronous = FULL; "
                   "PRAGMA locking_mode = EXCLUSIVE",
                   nullptr, nullptr, nullptr) != SQLITE_OK) {
    return kStatusIoError;
  }
  if (query.Prepare(db_,
                    "SELECT min_record_length, page_size, file_flags, next_position, "
                    "key_segments FROM meta WHERE id = 0") != SQLITE_OK ||
      sqlite3_step(query.get()) != SQLITE_ROW) {
    return kStatusIoError;
  }
  sqlite3_stmt* meta = query.get();
  const auto field16 = [meta](int column, std::uint16_t* out) {
    const std::int64_t value = sqlite3_column_int64(meta, column);
    *out = static_cast<std::uint16_t>(value);
    return value >= 0 && value <= 0xFFFF;
  };
  std::uint16_t min_record_length, page_size, file_flags;
  if (!field16(0, &min_record_length) || !field16(1, &page_size) || !field16(2, &file_flags) ||
      !DefinitionFromStored(min_record_length, page_size, file_flags,
                            static_cast<const std::uint8_t*>(sqlite3_column_blob(meta, 4)),
                            static_cast<std::size_t>(sqlite3_column_bytes(meta, 4)),
                            &definition_)) {
    return kStatusIoError;
  }
  next_position_ = sqlite3_column_int64(meta, 3);
  if (next_position_ < page_size) return kStatusIoError;
  return PrepareAll();
}

std::uint16_t RecordFile::PrepareAll() {
  std::string insert = "INSERT INTO records(pos, data";
  std::string values = ") VALUES (?1, ?2";
  std::string update = "UPDATE records SET data = ?2";
  for (std::size_t k = 0; k < definition_.keys.size(); ++k) {
    const std::string parameter = "?" + std::to_string(k + 3);
    insert += ", " + KeyColumn(k);
    values += ", " + parameter;
    update += ", " + KeyColumn(k) + " = " + parameter;
  }
  const bool prepared =
      begin_.Prepare(db_, "BEGIN") == SQLITE_OK && commit_.Prepare(db_, "COMMIT") == SQLITE_OK &&
      save_next_position_.Prepare(db_, "UPDATE meta SET next_position = ?1 WHERE id = 0") ==
          SQLITE_OK &&
      read_at_.Prepare(db_, "SELECT data FROM records WHERE pos = ?1") == SQLITE_OK &&
      scan_.Prepare(db_, "SELECT pos, data FROM records WHERE pos > ?1 ORDER BY pos") ==
          SQLITE_OK &&
      insert_.Prepare(db_, insert + values + ")") == SQLITE_OK &&
      update_.Prepare(db_, update + " WHERE pos = ?1") == SQLITE_OK &&
      delete_.Prepare(db_, "DELETE FROM records WHERE pos = ?1") == SQLITE_OK &&
      count_.Prepare(db_, "SELECT count(*) FROM records") == SQLITE_OK;
  if (!prepared) return kStatusIoError;
  key_statements_.resize(definition_.keys.size());
  key_scratch_.resize(definition_.keys.size());
  return kStatusSuccess;
}

RecordFile::KeyStatements* RecordFile::StatementsOf(int key, std::uint16_t* status) {
  KeyStatements& statements = key_statements_[key];
  if (statements.equal.prepared()) return &statements;
  const std::string column = KeyColumn(key);
  const std::string from = "SELECT pos, data FROM records INDEXED BY " + KeyIndex(key);
  const std::string order = " ORDER BY " + column + ", pos LIMIT 1";
  if (statements.equal.Prepare(db_, from + " WHERE " + column + " = ?1" + order) != SQLITE_OK ||
      statements.first.Prepare(db_, from + order) != SQLITE_OK ||
      statements.next_greater.Prepare(db_, from + " WHERE " + column + " > ?1" + order) !=
          SQLITE_OK ||
      statements.next_same.Prepare(db_, from + " WHERE " + column + " = ?1 AND pos > ?2" + order) !=
          SQLITE_OK) {
    statements.equal = Statement();
    *status = kStatusIoError;
    return nullptr;
  }
  return &statements;
}

RecordFile::~RecordFile() {
  CommitIfOlder(0, 0);
  if (written_) fsync(lock_fd_);
  key_statements_.clear();
  for (Statement* statement : {&begin_, &commit_, &save_next_position_, &read_at_, &scan_, &insert_,
                               &update_, &delete_, &count_}) {
    *statement = Statement();
  }
  sqlite3_close(db_);
  // Only now: closing any descriptor of the file drops SQLite's own locks.
  if (lock_fd_ >= 0) close(lock_fd_);
}

std::uint16_t RecordFile::LockForWriting() {
  if (exclusive_ || !writable_) return kStatusSuccess;
  if (flock(lock_fd_, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    // The conversion may have dropped the shared lock on its way.
    flock(lock_fd_, LOCK_SH | LOCK_NB);
    return StatusFromErrno(error);
  }
  exclusive_ = true;
  return kStatusSuccess;
}

std::uint16_t RecordFile::ReadRow(Statement& statement, int data_column, RecordOut* out,
                                  std::uint16_t not_found) {
  const std::uint16_t status = Begin();
  if (status != kStatusSuccess) return status;
  StatementUse use(statement);
  const int result = use.Step();
  if (result == SQLITE_DONE) return not_found;
  if (result != SQLITE_ROW) return StatusFromSqlite(result);
  return CopyRow(use.get(), data_column, out);
}

std::uint16_t RecordFile::CopyRow(sqlite3_stmt* row, int data_column, RecordOut* out) {
  const int size = sqlite3_column_bytes(row, data_column);
  if (static_cast<std::uint32_t>(size) > out->capacity) return kStatusDataBufferTooShort;
  if (size > 0) std::memcpy(out->buffer, sqlite3_column_blob(row, data_column), size);
  if (data_column > 0) out->position = sqlite3_column_int64(row, 0);
  out->length = static_cast<std::uint32_t>(size);
  return kStatusSuccess;
}

std::uint16_t RecordFile::ReadAt(std::int64_t position, RecordOut* out) {
  out->position = position;
  std::uint32_t length = 0;
  const std::uint8_t* cached = records_.Find(static_cast<std::uint32_t>(position), &length);
  if (cached != nullptr) {
    if (length > out->capacity) return kStatusDataBufferTooShort;
    std::memcpy(out->buffer, cached, length);
    out->length = length;
    return kStatusSuccess;
  }
  sqlite3_bind_int64(read_at_.get(), 1, position);
  const std::uint16_t status = ReadRow(read_at_, 0, out, kStatusInvalidPosition);
  if (status == kStatusSuccess) {
    records_.Put(static_cast<std::uint32_t>(position), static_cast<std::uint8_t*>(out->buffer),
                 out->length);
  }
  return status;
}

std::uint16_t RecordFile::StepAfter(std::int64_t position, RecordOut* out) {
  std::uint16_t status = Begin();
  if (status != kStatusSuccess) return status;
  sqlite3_stmt* scan = scan_.get();
  // A walk in physical order goes on with the running scan rather than seek
  // anew; SQLite keeps its cursor right across writes to the table.
  int result = SQLITE_DONE;
  if (scan_running_ && position == scan_position_) result = sqlite3_step(scan);
  if (!scan_running_ || position != scan_position_ ||
      (result != SQLITE_ROW && result != SQLITE_DONE)) {
    sqlite3_reset(scan);
    sqlite3_bind_int64(scan, 1, position);
    result = sqlite3_step(scan);
  }
  scan_running_ = result == SQLITE_ROW;
  if (!scan_running_) {
    sqlite3_reset(scan);
    return result == SQLITE_DONE ? static_cast<std::uint16_t>(kStatusEndOfFile)
                                 : StatusFromSqlite(result);
  }
  scan_position_ = sqlite3_column_int64(scan, 0);
  return CopyRow(scan, 1, out);
}

std::uint16_t RecordFile::FindEqual(int key, const StoredKey& value, RecordOut* out) {
  // The cache's entry: the key number and the value, then the position (4
  // bytes, as every position fits) and the record.
  std::uint8_t* entry = cache_entry_.data();
  entry[0] = static_cast<std::uint8_t>(key);
  entry[1] = value.is_integer ? 1 : 0;
  std::uint32_t size = 2;
  if (value.is_integer) {
    std::memcpy(entry + size, &value.integer, 8);
    size += 8;
  } else {
    entry[size++] = static_cast<std::uint8_t>(value.size);
    std::memcpy(entry + size, value.bytes, value.size);
    size += value.size;
  }
  std::uint32_t hash = 0x811c9dc5;  // FNV-1a
  for (std::uint32_t i = 0; i < size; ++i) hash = (hash ^ entry[i]) * 0x01000193;
  std::uint32_t cached_size = 0;
  const std::uint8_t* cached = records_by_key_.Find(hash, &cached_size);
  if (cached != nullptr && cached_size >= size + 4 && std::memcmp(cached, entry, size) == 0) {
    const std::uint32_t length = cached_size - size - 4;
    if (length > out->capacity) return kStatusDataBufferTooShort;
    out->position = LoadLe32(cached + size);
    std::memcpy(out->buffer, cached + size + 4, length);
    out->length = length;
    return kStatusSuccess;
  }

  std::uint16_t status = kStatusSuccess;
  KeyStatements* statements = StatementsOf(key, &status);
  if (statements == nullptr) return status;
  BindStoredKey(statements->equal.get(), 1, value);
  status = ReadRow(statements->equal, 1, out, kStatusKeyNotFound);
  if (status == kStatusSuccess) {
    StoreLe32(entry + size, static_cast<std::uint32_t>(out->position));
    std::memcpy(entry + size + 4, out->buffer, out->length);
    records_by_key_.Put(hash, entry, size + 4 + out->length);
  }
  return status;
}

std::uint16_t RecordFile::FindFirst(int key, RecordOut* out) {
  std::uint16_t status = kStatusSuccess;
  KeyStatements* statements = StatementsOf(key, &status);
  if (statements == nullptr) return status;
  return ReadRow(statements->first, 1, out, kStatusEndOfFile);
}

std::uint16_t RecordFile::FindNext(int key, const StoredKey& value, std::int64_t position,
                                   RecordOut* out) {
  std::uint16_t status = kStatusSuccess;
  KeyStatements* statements = StatementsOf(key, &status);
  if (statements == nullptr) return status;
  if ((definition_.keys[key].flags & kKeyDuplicates) != 0) {
    BindStoredKey(statements->next_same.get(), 1, value);
    sqlite3_bind_int64(statements->next_same.get(), 2, position);
    status = ReadRow(statements->next_same, 1, out, kStatusEndOfFile);
    if (status != kStatusEndOfFile) return status;
  }
  BindStoredKey(statements->next_greater.get(), 1, value);
  return ReadRow(statements->next_greater, 1, out, kStatusEndOfFile);
}

void RecordFile::ForgetCachedReads() {
  records_.Clear();
  records_by_key_.Clear();
  if (!sized_for_writing_) {
    // A file that is written keeps the pages that a transaction dirties (with
    // keys changing at random, every page of their indexes) until it commits.
    sqlite3_exec(db_, "PRAGMA cache_size = -30720", nullptr, nullptr, nullptr);
    sized_for_writing_ = true;
  }
}

std::uint16_t RecordFile::CheckLength(std::uint32_t length) const {
  if (length < definition_.record_min || length > kMaxRecordLength) {
    return kStatusInvalidRecordLength;
  }
  return kStatusSuccess;
}

void RecordFile::BindRecord(sqlite3_stmt* statement, const std::uint8_t* data,
                            std::uint32_t length) {
  sqlite3_bind_blob(statement, 2, data, static_cast<int>(length), SQLITE_STATIC);
  for (std::size_t k = 0; k < definition_.keys.size(); ++k) {
    StoredKeyFromRecord(definition_, definition_.keys[k], data, &key_scratch_[k]);
    BindStoredKey(statement, static_cast<int>(k + 3), key_scratch_[k]);
  }
}

std::uint16_t RecordFile::Begin() {
  if (in_transaction_) return kStatusSuccess;
  const std::uint16_t status = Execute(begin_);
  if (status != kStatusSuccess) return status;
  in_transaction_ = true;
  transaction_start_ns_ = MonotonicNs();
  return kStatusSuccess;
}

std::uint16_t RecordFile::Execute(const Statement& statement) {
  StatementUse use(statement);
  const int result = use.Step();
  if (result == SQLITE_DONE || result == SQLITE_ROW) return kStatusSuccess;
  const std::uint16_t status = StatusFromSqlite(result);
  if (in_transaction_ && sqlite3_get_autocommit(db_)) {
    // SQLite rolled the whole transaction back (disk full, I/O error): what
    // it held is gone, and the next position with it.
    in_transaction_ = false;
    next_position_dirty_ = false;
    Statement query;
    if (query.Prepare(db_, "SELECT next_position FROM meta WHERE id = 0") == SQLITE_OK &&
        sqlite3_step(query.get()) == SQLITE_ROW) {
      next_position_ = sqlite3_column_int64(query.get(), 0);
    }
  }
  return status;
}

std::uint16_t RecordFile::Insert(const std::uint8_t* data, std::uint32_t length,
                                 std::int64_t* position) {
  ForgetCachedReads();
  if (commit_failure_ != kStatusSuccess) return TakeCommitFailure();
  std::uint16_t status = CheckLength(length);
  if (status != kStatusSuccess) return status;
  if (!writable()) return kStatusReadOnly;
  if (next_position_ > kMaxPosition) return kStatusDiskFull;
  status = Begin();
  if (status != kStatusSuccess) return status;
  sqlite3_bind_int64(insert_.get(), 1, next_position_);
  BindRecord(insert_.get(), data, length);
  status = Execute(insert_);
  if (status != kStatusSuccess) return status;
  written_ = true;
  *position = next_position_;
  next_position_ = NextPositionAfter(next_position_, length);
  next_position_dirty_ = true;
  return kStatusSuccess;
}

std::uint16_t RecordFile::Update(std::int64_t position, const std::uint8_t* data,
                                 std::uint32_t length) {
  ForgetCachedReads();
  if (commit_failure_ != kStatusSuccess) return TakeCommitFailure();
  std::uint16_t status = CheckLength(length);
  if (status != kStatusSuccess) return status;
  if (!writable()) return kStatusReadOnly;
  for (std::size_t k = 0; k < definition_.keys.size(); ++k) {
    const Key& key = definition_.keys[k];
    if ((key.flags & kKeyModifiable) != 0) continue;
    // A key that may not change: compare its value in the stored record.
    sqlite3_bind_int64(read_at_.get(), 1, position);
    StatementUse use(read_at_);
    const int result = use.Step();
    if (result == SQLITE_DONE) return kStatusNoCurrentRecord;
    if (result != SQLITE_ROW) return StatusFromSqlite(result);
    const auto* old_data = static_cast<const std::uint8_t*>(sqlite3_column_blob(use.get(), 0));
    if (static_cast<std::uint32_t>(sqlite3_column_bytes(use.get(), 0)) < key.record_end) {
      return kStatusIoError;
    }
    StoredKey old_value;
    StoredKey new_value;
    StoredKeyFromRecord(definition_, key, old_data, &old_value);
    StoredKeyFromRecord(definition_, key, data, &new_value);
    if (!SameStoredKey(old_value, new_value)) return kStatusKeyFieldModified;
  }
  status = Begin();
  if (status != kStatusSuccess) return status;
  sqlite3_bind_int64(update_.get(), 1, position);
  BindRecord(update_.get(), data, length);
  status = Execute(update_);
  if (status != kStatusSuccess) return status;
  if (sqlite3_changes(db_) == 0) return kStatusNoCurrentRecord;
  written_ = true;
  return kStatusSuccess;
}

std::uint16_t RecordFile::Delete(std::int64_t position) {
  ForgetCachedReads();
  if (commit_failure_ != kStatusSuccess) return TakeCommitFailure();
  if (!writable()) return kStatusReadOnly;
  std::uint16_t status = Begin();
  if (status != kStatusSuccess) return status;
  sqlite3_bind_int64(delete_.get(), 1, position);
  status = Execute(delete_);
  if (status != kStatusSuccess) return status;
  if (sqlite3_changes(db_) == 0) return kStatusNoCurrentRecord;
  written_ = true;
  return kStatusSuccess;
}

std::uint16_t RecordFile::CountRecords(std::uint32_t* count) {
  const std::uint16_t status = Begin();
  if (status != kStatusSuccess) return status;
  StatementUse use(count_);
  const int result = use.Step();
  if (result != SQLITE_ROW) return StatusFromSqlite(result);
  *count = static_cast<std::uint32_t>(sqlite3_column_int64(use.get(), 0));
  return kStatusSuccess;
}

std::uint16_t RecordFile::CommitIfOlder(std::int64_t now_ns, std::int64_t max_age_ns) {
  if (!in_transaction_) return kStatusSuccess;
  if (max_age_ns > 0 && now_ns - transaction_start_ns_ < max_age_ns) return kStatusSuccess;
  std::uint16_t status = kStatusSuccess;
  if (next_position_dirty_) {
    sqlite3_bind_int64(save_next_position_.get(), 1, next_position_);
    status = Execute(save_next_position_);
  }
  if (status == kStatusSuccess) status = Execute(commit_);
  if (status == kStatusSuccess) {
    in_transaction_ = false;
    next_position_dirty_ = false;
  }
  // A reader outside the record manager (an SQL user) holds the file: the
  // transaction stays open and the commit is tried again at the next call.
  if (status == kStatusFileLocked && in_transaction_ && max_age_ns > 0) return kStatusSuccess;
  if (status != kStatusSuccess && max_age_ns > 0) commit_failure_ = status;
  return status;
}

std::uint16_t RecordFile::TakeCommitFailure() {
  const std::uint16_t status = commit_failure_;
  commit_failure_ = kStatusSuccess;
  return status;
}

}  // namespace wbtrv32
