#include "btrieve/raw_call.h"

#include "btrieve/call_entry.h"
#include "btrieve/file_table.h"

namespace repoint {

std::uint16_t RawCall(std::uint16_t operation, void* position_block, void* data_buffer,
                      std::uint16_t* data_length, void* key_buffer, std::int8_t key_number) {
  std::uint32_t wide_length = *data_length;
  const std::uint16_t status = BTRCALL(operation, position_block, data_buffer, &wide_length,
                                       key_buffer, kKeyLength, key_number);
  *data_length = static_cast<std::uint16_t>(wide_length);
  return status;
}

}  // namespace repoint
