// The on-disk format of a record manager file.
//
// A file is one SQLite database (page size 16384, which keeps the count of
// page writes per commit low; rollback journal in SQLite's default mode, set
// by nobody) marked as ours by
//   PRAGMA application_id = kApplicationId   (0x57425452, "WBTR")
//   PRAGMA user_version   = kFormatVersion   (1)
// Any database without both marks opens with status 30.
//
// Two tables:
//
//   CREATE TABLE meta(
//     id                INTEGER PRIMARY KEY CHECK (id = 0),  -- one row, id 0
//     min_record_length INTEGER NOT NULL,
//     page_size         INTEGER NOT NULL,   -- the first record's position
//     file_flags        INTEGER NOT NULL,
//     next_position     INTEGER NOT NULL,   -- the next Insert's position
//     key_segments      BLOB NOT NULL);     -- the segments, 8 bytes each, in
//                                           -- the Create layout of wbtrv32.h
//
//   CREATE TABLE records(
//     pos  INTEGER PRIMARY KEY,  -- the record's position, 0 to 0xFFFFFFFF
//     data BLOB NOT NULL,        -- the record's bytes
//     k0, k1, ...);              -- one column per key: the key's stored value
//
//   CREATE [UNIQUE] INDEX records_k0 ON records(k0);   -- and so on per key;
//                                                      -- UNIQUE unless the key
//                                                      -- allows duplicates
//
// The physical order is the order of pos. Positions emulate byte offsets: the
// first record of a file stands at page_size, and each Insert takes
// next_position and advances it by the record's length rounded up to 4 plus
// kRecordOverhead. Positions are never reused, so a rebuilt copy, written
// without the gaps of deleted records, gives its records new positions.
//
// A key's stored value (column kN) is the value whose SQLite order is the
// key's order, so that SQLite's own comparison and indexes do the work:
//   - a key of one segment of type signed (1, 2, 4 or 8 bytes) or unsigned
//     (1, 2 or 4 bytes): an INTEGER, the segment's little-endian value;
//   - any other key: a BLOB, the concatenation of its segments, each
//       string:    its bytes, with a-z upper-cased if case-insensitive;
//       unsigned:  its bytes in big-endian order;
//       signed:    its bytes in big-endian order, the top bit inverted;
//       binary:    its bytes as they are.
// Ties between equal values of a key that allows duplicates are in pos order
// (SQLite's index puts the rowid last).
//
// A SQL user keeps a file sound by keeping every kN equal to the stored value
// of its key in data, keeping pos within 32 bits and below next_position, and
// leaving meta alone. For example, the repair of memo pointers (key 0 of the
// memo file on bytes 0-3, unsigned 4 bytes; key 0 of the note files its
// matching key) is, with main the memo file and SQLite before 3.41 (no unhex),
// B being the 256-byte blob X'000102...FEFF':
//
//   ATTACH 'notes.old' AS old; ATTACH 'notes.new' AS new;
//   BEGIN;
//   UPDATE main.records AS m
//      SET k0 = n.pos,
//          data = CAST(substr(B, (n.pos & 255) + 1, 1)
//                   || substr(B, ((n.pos >> 8) & 255) + 1, 1)
//                   || substr(B, ((n.pos >> 16) & 255) + 1, 1)
//                   || substr(B, ((n.pos >> 24) & 255) + 1, 1)
//                   || substr(m.data, 5) AS BLOB)
//     FROM old.records AS o JOIN new.records AS n ON n.k0 = o.k0
//    WHERE o.pos = m.k0;
//   COMMIT;
#ifndef REPOINT_ENGINE_FILE_FORMAT_H_
#define REPOINT_ENGINE_FILE_FORMAT_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace wbtrv32 {

inline constexpr std::int32_t kApplicationId = 0x57425452;
inline constexpr std::int32_t kFormatVersion = 1;
inline constexpr int kSqlitePageSize = 16384;
inline constexpr std::int64_t kRecordOverhead = 8;
inline constexpr std::int64_t kMaxPosition = 0xFFFFFFFF;

// The column and the index of key `key`: k0 and records_k0, and so on.
inline std::string KeyColumn(std::size_t key) { return "k" + std::to_string(key); }
inline std::string KeyIndex(std::size_t key) { return "records_" + KeyColumn(key); }

}  // namespace wbtrv32

#endif  // REPOINT_ENGINE_FILE_FORMAT_H_
