// The file table: one file control block per file, addressed by slot, and
// the buffers that the requests on those slots share for the whole run.
//
// Every request to the record manager is a file control block: its caller
// sets the fields that the request names and hands the block to the guarded
// call (btrieve/guarded_call.h). Fields a request does not name keep what
// the slot's previous request left there, the data length that the record
// manager returned included; the memo update relies on that.
#ifndef REPOINT_BTRIEVE_FILE_TABLE_H_
#define REPOINT_BTRIEVE_FILE_TABLE_H_

#include <cstddef>
#include <cstdint>

namespace repoint {

// Size of each record buffer and data length of every record read.
inline constexpr std::uint16_t kRecordBufferSize = 63000;
// Every key buffer holds 256 bytes and is passed with key length 255.
inline constexpr std::size_t kKeyBufferSize = 256;
inline constexpr std::uint8_t kKeyLength = 255;
inline constexpr std::uint16_t kStatBufferSize = 33236;
inline constexpr std::size_t kPositionBlockSize = 128;
// A file name of up to kMaxFileNameLength characters is carried whole.
inline constexpr std::size_t kMaxFileNameLength = 255;
inline constexpr std::size_t kFileNameSize = kMaxFileNameLength + 1;

enum Slot : int {
  kOldNoteSlot = 1,
  kNewNoteSlot = 2,
  kMemoSlot = 3,
};
inline constexpr int kSlotCount = 3;

struct FileControlBlock {
  std::uint16_t operation = 0;
  // Written by the record manager alone: zero until Open fills it.
  unsigned char position_block[kPositionBlockSize] = {};
  void* data_buffer = nullptr;
  // In: the length given to the request. Out: the length returned.
  std::uint16_t data_length = 0;
  void* key_buffer = nullptr;
  // The record manager receives the low 8 bits, read as signed.
  std::int16_t key_number = 0;
  // The name the file was opened under, for messages only.
  char file_name[kFileNameSize] = {};
};

// Zero in every byte when made; no operation clears or reuses a slot.
struct FileTable {
  FileControlBlock& operator[](int slot) { return blocks[slot]; }

  FileControlBlock blocks[kSlotCount + 1] = {};  // slot 0 is never used
  // Carries the owner's key value from the old note file to the new one.
  unsigned char key_buffer[kKeyBufferSize] = {};
  // Bytes 6-9 hold the indicated record count after the Stat of a file.
  unsigned char stat_buffer[kStatBufferSize] = {};
};

}  // namespace repoint

#endif  // REPOINT_BTRIEVE_FILE_TABLE_H_
