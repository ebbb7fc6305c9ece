// The embedded record manager's public contract.
//
// libwbtrv32.so exports one C function, BTRCALL, with the arguments of the
// platform record manager's call entry, and keeps each file in one SQLite
// database. A program written for the platform's wbtrv32.dll links this
// library instead and needs no other change.
//
// Everything a caller may rely on is stated here: operation codes, statuses,
// the layout of the Create and Stat buffers, and what a position is.
#ifndef REPOINT_ENGINE_WBTRV32_H_
#define REPOINT_ENGINE_WBTRV32_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// The call entry.
//   operation       one of the kOp codes below
//   position_block  128 bytes, zero before Open; only the library writes it
//   data_buffer     record, file definition or stat buffer, per operation
//   data_length     in: the buffer's size or the count of bytes to write;
//                   out: the count of bytes returned
//   key_buffer      file name (Open, Create), NUL-terminated within its
//                   key_length bytes (256 when key_length is 255), or a key
//                   value, per operation
//   key_length      size of key_buffer; 255 from callers that pass 256 bytes
//   key_number      the key of a keyed operation; for Open 0 or -2 (read-only)
// Returns a status, 0 for success. A request that fails changes nothing: no
// buffer, no length, no currency (a short data buffer, 22, returns no part
// of the record).
//
// Currency, per position block: a read (Step, Get) or an Insert makes its
// record current; Get Position returns its position; Update rewrites it at
// exactly data_length bytes; Delete removes it, after which Step Next and
// Get Next go on from its place. Keyed reads (Get Equal, First, Next,
// Direct) also put the record's value on the given key into the key buffer
// (key_length must hold it: 21) and set the key path that Get Next follows;
// Get Next on another key goes on from the current record's value on that
// key. Step Next and Get Next with no current record give 8. Open on a block
// that is open gives 1. Blocks on one file never disturb each other, and a
// file opened twice in one process (under any name) is one file.
//
// Durability: each request is atomic. Writes are committed when their
// transaction is 200 ms old (checked at each call) and at Close, Reset, Stop
// and process exit; every commit is synced to disk. A process killed at any
// moment, or a power loss, leaves every file sound with a prefix of its
// writes.
//
// Sharing: a file open for writing (Open with 0, by a user who may write it)
// is locked against every other process, whose Open gives 85 at once; files
// opened read-only (-2, or not writable by the user) are shared by readers.
__attribute__((visibility("default"))) uint16_t BTRCALL(uint16_t operation, void* position_block,
                                                        void* data_buffer, uint32_t* data_length,
                                                        void* key_buffer, uint8_t key_length,
                                                        int8_t key_number);

enum {
  kPositionBlockSize = 128,
  kMaxRecordLength = 63000,
  kMaxKeyLength = 255,
  kStatBufferSize = 33236,
  kMaxKeys = 119,
  kMaxSegments = 119,
};

enum {
  kOpOpen = 0,
  kOpClose = 1,
  kOpInsert = 2,
  kOpUpdate = 3,
  kOpDelete = 4,
  kOpGetEqual = 5,
  kOpGetNext = 6,
  kOpGetFirst = 12,
  kOpCreate = 14,
  kOpStat = 15,
  kOpGetPosition = 22,
  kOpGetDirect = 23,
  kOpStepNext = 24,
  kOpStop = 25,
  kOpReset = 28,
  kOpStepFirst = 33,
};

enum {
  kOpenNormal = 0,
  kOpenReadOnly = -2,
};

enum {
  kStatusSuccess = 0,
  kStatusInvalidOperation = 1,
  kStatusIoError = 2,  // also: the file is damaged
  kStatusFileNotOpen = 3,
  kStatusKeyNotFound = 4,
  kStatusDuplicateKey = 5,
  kStatusInvalidKeyNumber = 6,
  kStatusNoCurrentRecord = 8,
  kStatusEndOfFile = 9,
  kStatusKeyFieldModified = 10,
  kStatusInvalidFileName = 11,
  kStatusFileNotFound = 12,
  kStatusDiskFull = 18,           // also: the next position would pass 0xFFFFFFFF
  kStatusKeyBufferTooShort = 21,  // key_length below the key's length, or no key buffer
  kStatusDataBufferTooShort = 22,
  kStatusInvalidPageSize = 24,      // Create: page size not 0 and not 512 to 4096 by 512
  kStatusInvalidKeyCount = 26,      // Create: more than kMaxKeys keys or kMaxSegments segments
  kStatusInvalidKeyPosition = 27,   // Create: a segment ending past kMaxRecordLength
  kStatusInvalidRecordLength = 28,  // a record shorter than the file's minimum or its keys,
                                    // or longer than kMaxRecordLength
  kStatusInvalidKeyLength = 29,     // Create: a segment of length 0, an integer segment not
                                    // 1, 2, 4 or 8 bytes, a key over kMaxKeyLength bytes, an
                                    // unknown type, or flags differing between segments
  kStatusNotARecordManagerFile = 30,
  kStatusInvalidPosition = 43,
  kStatusReadOnly = 46,
  kStatusFileExists = 59,  // Create never replaces a file
  kStatusFileLocked = 85,
  kStatusPermissionDenied = 94,  // the user may not read the file (or create it there)
};

// Create (14): data_buffer holds a file definition, key_buffer the
// NUL-terminated file name. All integers little-endian.
//   bytes 0-1  minimum record length
//   bytes 2-3  page size (512 to 4096, a multiple of 512, or 0 for 4096);
//              the first record's position
//   bytes 4-5  number of keys
//   bytes 6-7  file flags, 0
//   bytes 8-   the key segments, 8 bytes each, keys in order 0, 1, ...;
//              a key's segments follow each other, every one but its last
//              carrying kKeySegmented.
// A segment: bytes 0-1 offset in the record (from 0), 2-3 length,
// byte 4 type (kKeyType...), byte 5 flags (kKey... bits), bytes 6-7 zero.
// The flags other than kKeySegmented must be the same on all of a key's
// segments. data_length is 8 + 8 * segment count.
enum {
  kFileDefHeaderSize = 8,
  kSegmentDefSize = 8,
};

enum {
  kKeyTypeString = 0,
  kKeyTypeSigned = 1,    // little-endian two's complement, 1, 2, 4 or 8 bytes
  kKeyTypeUnsigned = 2,  // little-endian, 1, 2, 4 or 8 bytes
  kKeyTypeBinary = 3,
};

enum {
  kKeyDuplicates = 0x01,
  kKeyModifiable = 0x02,
  kKeyCaseInsensitive = 0x04,
  kKeySegmented = 0x08,
};

// Stat (15): with data_length at least kStatHeaderSize + 8 * segment count
// (callers pass kStatBufferSize), data_buffer receives
//   bytes 0-1   minimum record length
//   bytes 2-3   page size
//   bytes 4-5   number of keys
//   bytes 6-9   number of records, unsigned 32-bit
//   bytes 10-11 file flags
//   bytes 12-13 number of segments
//   bytes 14-15 zero
//   bytes 16-   the segments, in the layout of Create
// and data_length the count of bytes filled. A shorter buffer gives 22.
enum {
  kStatHeaderSize = 16,
};

// A position is a record's physical position: 4 bytes, little-endian,
// unique in its file and stable for the record's life. Positions rise in
// physical order. Get Position (22) returns it in a 4-byte data buffer;
// Get Direct (23) takes it in bytes 0-3 of the data buffer.

// Administrative check, outside the call entry, for the file utility: opens
// the named file read-only, runs SQLite's own integrity check and the
// library's invariants (every key entry matches a record and every record its
// key entries; positions unique and within 32 bits; the definitions sound).
// Returns 0 when the file is sound; otherwise a status (2 damaged, 12 not
// found, 30 not a file of this library, 85 locked, ...) with a one-line
// description of the first problem found in report (NUL-terminated,
// truncated to report_size).
__attribute__((visibility("default"))) uint16_t wbtrv32_check_file(const char* file_name,
                                                                   char* report,
                                                                   uint32_t report_size);

#ifdef __cplusplus
}
#endif

#endif  // REPOINT_ENGINE_WBTRV32_H_
