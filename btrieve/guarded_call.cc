#include "btrieve/guarded_call.h"

#include <cstdlib>

#include "btrieve/operation_codes.h"
#include "btrieve/raw_call.h"

namespace repoint {

GuardedCall::GuardedCall(int debug_level, std::FILE* out, std::FILE* err)
    : debug_level_(debug_level), out_(out), err_(err) {}

std::int32_t GuardedCall::operator()(FileControlBlock& block) const {
  if (debug_level_ == 2) {
    std::fprintf(out_, "Op: %d, Buflen: %d, KeyNum: %d ", block.operation, block.data_length,
                 block.key_number);
  }
  const std::int32_t status = static_cast<std::int16_t>(
      RawCall(block.operation, block.position_block, block.data_buffer, &block.data_length,
              block.key_buffer, static_cast<std::int8_t>(block.key_number)));
  if (debug_level_ == 2) std::fprintf(out_, "Status: %d\n", status);
  ApplyStatusPolicy(status, block);
  return status;
}

void GuardedCall::ApplyStatusPolicy(std::int32_t status, const FileControlBlock& block) const {
  switch (status) {
    case kStatusSuccess:
    case kStatusFileNotOpen:
    case kStatusKeyNotFound:
    case kStatusDuplicateKey:
    case kStatusEndOfFile:
    case kStatusFileNotFound:
    case kStatusDataBufferTooShort:
    case kStatusInvalidPosition:
      return;
    case kStatusIoError:
      std::fprintf(err_, "Data File Corruption (Status 2) Detected!\n");
      return;
    case kStatusManagerNotLoaded:
      std::fprintf(err_, "Please load the Btrieve Record Manager\n");
      // Nothing can be closed or released without the record manager.
      std::exit(1);
    case kStatusNotARecordManagerFile:
      std::fprintf(err_, "%s: Not a Btrieve File\n", block.file_name);
      return;
    default:
      std::fprintf(err_, "Btrieve Error %d: Operation=%d, File=%s\n", status, block.operation,
                   block.file_name);
      return;
  }
}

}  // namespace repoint
