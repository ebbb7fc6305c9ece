// The raw call: the one place that calls the record manager's call entry.
// Only the guarded call (btrieve/guarded_call.h) uses it.
#ifndef REPOINT_BTRIEVE_RAW_CALL_H_
#define REPOINT_BTRIEVE_RAW_CALL_H_

#include <cstdint>

namespace repoint {

// Calls the entry with key length 255. *data_length is widened to 32 bits
// for the call, and its low 16 bits as the record manager left them are
// stored back. Returns the low 16 bits of the entry's status.
std::uint16_t RawCall(std::uint16_t operation, void* position_block, void* data_buffer,
                      std::uint16_t* data_length, void* key_buffer, std::int8_t key_number);

}  // namespace repoint

#endif  // REPOINT_BTRIEVE_RAW_CALL_H_
