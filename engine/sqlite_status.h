// The record manager status for a SQLite result code.
#ifndef REPOINT_ENGINE_SQLITE_STATUS_H_
#define REPOINT_ENGINE_SQLITE_STATUS_H_

#include <sqlite3.h>

#include <cstdint>

#include "engine/wbtrv32.h"

namespace wbtrv32 {

// Maps a failing result code (not OK, ROW or DONE) of a request on an open
// file: constraint 5, full 18, read-only 46, busy or locked 85, not a
// database 30, everything else (corruption, I/O) 2. A file left with an
// unfinished transaction by a killed writer cannot be read by a user who may
// not write it (the transaction must be undone first): 2, not 46.
inline std::uint16_t StatusFromSqlite(int result) {
  if (result == SQLITE_READONLY_ROLLBACK || result == SQLITE_READONLY_RECOVERY) {
    return kStatusIoError;
  }
  switch (result & 0xFF) {
    case SQLITE_CONSTRAINT:
      return kStatusDuplicateKey;
    case SQLITE_FULL:
      return kStatusDiskFull;
    case SQLITE_READONLY:
      return kStatusReadOnly;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return kStatusFileLocked;
    case SQLITE_NOTADB:
      return kStatusNotARecordManagerFile;
    default:
      return kStatusIoError;
  }
}

}  // namespace wbtrv32

#endif  // REPOINT_ENGINE_SQLITE_STATUS_H_
