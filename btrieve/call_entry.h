// The record manager's call entry, as Repoint links it: on Windows the entry
// of wbtrv32.dll imported by ordinal 1, elsewhere the same entry exported by
// the embedded record manager's shared library (libwbtrv32.so).
//
// Only the raw call (btrieve/raw_call.h) calls it.
#ifndef REPOINT_BTRIEVE_CALL_ENTRY_H_
#define REPOINT_BTRIEVE_CALL_ENTRY_H_

#include <cstdint>

#ifdef _WIN32
#define REPOINT_RECORD_MANAGER_API __stdcall
#else
#define REPOINT_RECORD_MANAGER_API
#endif

extern "C" std::uint16_t REPOINT_RECORD_MANAGER_API BTRCALL(
    std::uint16_t operation, void* position_block, void* data_buffer, std::uint32_t* data_length,
    void* key_buffer, std::uint8_t key_length, std::int8_t key_number);

#endif  // REPOINT_BTRIEVE_CALL_ENTRY_H_
