// A scripted record manager: a small in-memory model of Repoint's three
// files, with statuses injected where real files cannot give them.
//
// Two entries put it in the real engine's place: in_process_entry.cc for
// unit tests (BTRCALL answered by the model that the test installs), and
// shared_library_entry.cc, a libwbtrv32.so that the real `repoint` picks up
// through LD_LIBRARY_PATH and that loads its script from the file named by
// REPOINT_SCRIPT.
//
// Script: one command a line; '#' starts a comment. Positions are unsigned
// 32-bit decimals, stored and returned as 4 bytes little-endian.
//   old <position> <key0> [<key1> ...]  a record of the old note file
//   new <position> <key0> [<key1> ...]  a record of the new note file
//   memo <pointer> [<text>]             a memo record: pointer, then text
//   memos <count> <pointer> [<text>]    `count` such memo records
//   records <count>                     the memo file's count from Stat
//                                       (default: its number of records)
//   fail <operation> <nth> <status>     the nth request (from 1; 0 = every
//                                       one) with that operation code gives
//                                       `status` (0-65535) and does nothing
//   step_delay_ms <ms>                  a pause in every Step First/Next
// Files are told apart by the order of Open: the first Open is the old note
// file, the second the new note file, the third the memo file (a failed
// Open takes its place in that order too).
#ifndef REPOINT_TESTS_SCRIPTED_SCRIPTED_RECORD_MANAGER_H_
#define REPOINT_TESTS_SCRIPTED_SCRIPTED_RECORD_MANAGER_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace repoint::scripted {

// One request as the record manager received it.
struct Request {
  std::uint16_t operation;
  int file;  // 1 old note, 2 new note, 3 memo, 0 none opened on the block
  std::uint32_t data_length;
  std::uint8_t key_length;
  std::int8_t key_number;
};

// The 4 little-endian bytes of `pointer` followed by `text`: a memo record.
std::string MemoRecord(std::uint32_t pointer, std::string_view text);

class ScriptedRecordManager {
 public:
  // Builds the model from a script; on a malformed line `error` (if given)
  // names it and the model is left without that line.
  explicit ScriptedRecordManager(std::string_view script, std::string* error = nullptr);

  // Answers one request of the call entry.
  std::uint16_t Call(std::uint16_t operation, void* position_block, void* data_buffer,
                     std::uint32_t* data_length, void* key_buffer, std::uint8_t key_length,
                     std::int8_t key_number);

  // Every request received, in order.
  const std::vector<Request>& requests() const { return requests_; }
  // The memo file's records as they stand now.
  const std::vector<std::string>& memo_records() const { return memos_; }

 private:
  struct NoteRecord {
    std::uint32_t position;
    std::vector<std::string> keys;
  };
  struct Fault {
    std::uint16_t operation;
    int nth;
    std::uint16_t status;
  };

  bool ParseLine(const std::string& line);
  bool Faulted(std::uint16_t operation, std::uint16_t* status);
  std::uint16_t Dispatch(std::uint16_t operation, int file, unsigned char* position_block,
                         unsigned char* data, std::uint32_t* data_length, char* key,
                         std::uint8_t key_length, std::int8_t key_number);
  std::uint16_t Open(unsigned char* position_block);
  std::uint16_t GetDirect(unsigned char* data, std::uint32_t* data_length, char* key,
                          std::uint8_t key_length, std::int8_t key_number);
  std::uint16_t GetEqual(unsigned char* data, std::uint32_t* data_length, const char* key,
                         std::int8_t key_number);
  std::uint16_t GetPosition(unsigned char* data, std::uint32_t* data_length);
  std::uint16_t Step(std::size_t index, unsigned char* data, std::uint32_t* data_length);
  std::uint16_t Stat(unsigned char* data, std::uint32_t* data_length);

  std::vector<NoteRecord> old_notes_;
  std::vector<NoteRecord> new_notes_;
  std::vector<std::string> memos_;
  std::vector<Fault> faults_;
  std::map<std::uint16_t, int> calls_by_operation_;
  std::vector<Request> requests_;
  long long indicated_count_ = -1;
  int step_delay_ms_ = 0;
  int opens_ = 0;
  const NoteRecord* new_current_ = nullptr;
  // The memo cursor: the current record's index; after a Delete the index of
  // the record that followed it, which Step Next then returns.
  std::size_t memo_cursor_ = 0;
  bool memo_current_deleted_ = false;
  bool memo_positioned_ = false;
};

}  // namespace repoint::scripted

#endif  // REPOINT_TESTS_SCRIPTED_SCRIPTED_RECORD_MANAGER_H_
