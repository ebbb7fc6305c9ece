// RecordFile::Verify: the whole-file check behind wbtrv32_check_file.
#include <cstring>
#include <string>

#include "engine/file_format.h"
#include "engine/record_file.h"
#include "engine/wbtrv32.h"

namespace wbtrv32 {
namespace {

bool ColumnHolds(sqlite3_stmt* row, int column, const StoredKey& expected) {
  if (expected.is_integer) {
    return sqlite3_column_type(row, column) == SQLITE_INTEGER &&
           sqlite3_column_int64(row, column) == expected.integer;
  }
  return sqlite3_column_type(row, column) == SQLITE_BLOB &&
         sqlite3_column_bytes(row, column) == expected.size &&
         (expected.size == 0 ||
          std::memcmp(sqlite3_column_blob(row, column), expected.bytes, expected.size) == 0);
}

}  // namespace

std::uint16_t RecordFile::Verify(std::string* problem) {
  Statement query;
  if (query.Prepare(db_, "PRAGMA integrity_check(1)") != SQLITE_OK ||
      sqlite3_step(query.get()) != SQLITE_ROW) {
    *problem = "SQLite cannot check the file: " + std::string(sqlite3_errmsg(db_));
    return kStatusIoError;
  }
  const auto* verdict = reinterpret_cast<const char*>(sqlite3_column_text(query.get(), 0));
  if (verdict == nullptr || std::strcmp(verdict, "ok") != 0) {
    *problem = "SQLite's integrity check: " + std::string(verdict ? verdict : "no answer");
    return kStatusIoError;
  }

  for (std::size_t k = 0; k < definition_.keys.size(); ++k) {
    const std::string index = KeyIndex(k);
    const bool unique = (definition_.keys[k].flags & kKeyDuplicates) == 0;
    if (query.Prepare(db_, "SELECT \"unique\" FROM pragma_index_list('records') WHERE name = ?1") !=
        SQLITE_OK) {
      *problem = "cannot list the indexes";
      return kStatusIoError;
    }
    sqlite3_bind_text(query.get(), 1, index.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(query.get()) != SQLITE_ROW ||
        (sqlite3_column_int(query.get(), 0) != 0) != unique) {
      *problem =
          "key " + std::to_string(k) + " has no " + (unique ? "unique " : "") + "index " + index;
      return kStatusIoError;
    }
  }

  std::string columns = "pos, data";
  for (std::size_t k = 0; k < definition_.keys.size(); ++k) columns += ", " + KeyColumn(k);
  if (query.Prepare(db_, "SELECT " + columns + " FROM records ORDER BY pos") != SQLITE_OK) {
    *problem = "cannot read the records: " + std::string(sqlite3_errmsg(db_));
    return kStatusIoError;
  }
  int result;
  StoredKey expected;
  while ((result = sqlite3_step(query.get())) == SQLITE_ROW) {
    sqlite3_stmt* row = query.get();
    const std::int64_t position = sqlite3_column_int64(row, 0);
    const std::string where = "the record at position " + std::to_string(position);
    if (sqlite3_column_type(row, 0) != SQLITE_INTEGER || position < definition_.page_size ||
        position >= next_position_ || position > kMaxPosition) {
      *problem = where + " lies outside the file's positions";
      return kStatusIoError;
    }
    const auto length = static_cast<std::uint32_t>(sqlite3_column_bytes(row, 1));
    if (sqlite3_column_type(row, 1) != SQLITE_BLOB && length != 0) {
      *problem = where + " is not stored as bytes";
      return kStatusIoError;
    }
    if (length < definition_.record_min || length > kMaxRecordLength) {
      *problem = where + " has an invalid length of " + std::to_string(length) + " bytes";
      return kStatusIoError;
    }
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(row, 1));
    for (std::size_t k = 0; k < definition_.keys.size(); ++k) {
      StoredKeyFromRecord(definition_, definition_.keys[k], data, &expected);
      if (!ColumnHolds(row, static_cast<int>(k + 2), expected)) {
        *problem = where + " has a key " + std::to_string(k) + " entry that does not match it";
        return kStatusIoError;
      }
    }
  }
  if (result != SQLITE_DONE) {
    *problem = "reading the records failed: " + std::string(sqlite3_errmsg(db_));
    return kStatusIoError;
  }
  return kStatusSuccess;
}

}  // namespace wbtrv32
