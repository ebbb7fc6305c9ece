#include "btrieve/file_set.h"

#include <cstring>

#include "btrieve/operation_codes.h"

namespace repoint {
namespace {

void CopyName(char (&field)[kFileNameSize], const char* name) {
  std::strncpy(field, name, kMaxFileNameLength);
  field[kMaxFileNameLength] = '\0';
}

}  // namespace

FileSet::FileSet(FileTable& table, const GuardedCall& call, void* data_record_buffer)
    : table_(table), call_(call), data_record_buffer_(data_record_buffer) {}

std::int32_t FileSet::OpenOneFile(int slot, const char* name) {
  char name_buffer[kKeyBufferSize];
  CopyName(name_buffer, name);
  FileControlBlock& block = table_[slot];
  CopyName(block.file_name, name);
  block.data_length = 0;
  block.data_buffer = data_record_buffer_;
  block.key_number = 0;
  block.key_buffer = name_buffer;
  block.operation = kOpOpen;
  return call_(block);
}

std::int32_t FileSet::OpenFiles(const FileNames& names) {
  if (call_.debug_level() != 0) std::fprintf(call_.out(), "Opening Files\n");
  const std::int32_t statuses[] = {OpenOneFile(kOldNoteSlot, names.old_note),
                                   OpenOneFile(kNewNoteSlot, names.new_note),
                                   OpenOneFile(kMemoSlot, names.memo)};
  std::int32_t result = 0;
  for (const std::int32_t status : statuses) {
    if (status != 0) {
      result = status;
      break;
    }
  }
  if (call_.debug_level() != 0) std::fprintf(call_.out(), "Data Files Opened: %d\n", result);
  return result;
}

std::int32_t FileSet::StatMemoFile(int slot) {
  unsigned char scratch_key_buffer[kKeyBufferSize];
  FileControlBlock& block = table_[slot];
  block.data_length = kStatBufferSize;
  block.key_number = -1;
  block.key_buffer = scratch_key_buffer;
  block.data_buffer = table_.stat_buffer;
  block.operation = kOpStat;
  return call_(block);
}

std::uint32_t FileSet::IndicatedRecordCount() const {
  const unsigned char* count = table_.stat_buffer + 6;
  return std::uint32_t{count[0]} | std::uint32_t{count[1]} << 8 | std::uint32_t{count[2]} << 16 |
         std::uint32_t{count[3]} << 24;
}

void FileSet::CloseAllFiles() {
  if (call_.debug_level() != 0) std::fprintf(call_.out(), "Closing Files\n");
  for (int slot = kOldNoteSlot; slot <= kMemoSlot; ++slot) {
    table_[slot].operation = kOpClose;
    call_(table_[slot]);
  }
  if (call_.debug_level() != 0) std::fprintf(call_.out(), "Data Files Closed\n");
}

void FileSet::ResetAndStop() {
  FileControlBlock& block = table_[kOldNoteSlot];
  block.key_number = 0;
  block.key_buffer = nullptr;
  block.operation = kOpReset;
  call_(block);
  block.operation = kOpStop;
  call_(block);
}

}  // namespace repoint
