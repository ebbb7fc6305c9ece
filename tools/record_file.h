// One file of the record manager as the utility uses it: a position block
// and the buffers of its requests, every request one call of BTRCALL.
//
// Each request returns the record manager's status, 0 for success. A read
// leaves the record in record() until the next request on this object.
#ifndef REPOINT_TOOLS_RECORD_FILE_H_
#define REPOINT_TOOLS_RECORD_FILE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/wbtrv32.h"
#include "tools/file_definition.h"

namespace recmgr {

enum class OpenMode { kReadWrite, kReadOnly };

// Makes a new, empty file; the record manager refuses to replace one that
// exists (status 59).
uint16_t CreateRecordFile(const std::string& name, const FileDefinition& definition);

class RecordFile {
 public:
  RecordFile();
  // Closes the file if it is still open. Writers call Close() themselves to
  // learn whether their last writes were kept.
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  uint16_t Open(const std::string& name, OpenMode mode);
  uint16_t Close();

  // Definitions and record count. A Stat buffer that makes no sense gives
  // status 2 with the reason in *error.
  uint16_t Stat(FileDefinition* definition, uint32_t* record_count, std::string* error);

  // Physical order.
  uint16_t StepFirst();
  uint16_t StepNext();
  // Order of key `key`.
  uint16_t GetFirst(int key);
  uint16_t GetNext(int key);
  uint16_t GetEqual(int key, std::string_view key_value);
  // Reads the record at `position`; the key buffer then holds its value on
  // key `key` (see key_value()).
  uint16_t GetDirect(uint32_t position, int key);
  // The current record's position.
  uint16_t GetPosition(uint32_t* position);

  // A record longer than kMaxRecordLength gives status 28 without a request.
  uint16_t Insert(std::string_view record);
  uint16_t Delete();

  std::string_view record() const { return {data_.data(), data_length_}; }
  // The first `length` bytes of the key buffer, where keyed reads leave the
  // record's key value.
  std::string_view key_value(size_t length) const { return {key_, length}; }

 private:
  uint16_t Call(uint16_t operation, void* data, uint32_t data_length, int key);

  char position_block_[kPositionBlockSize] = {};
  bool open_ = false;
  std::vector<char> data_;
  uint32_t data_length_ = 0;
  char key_[256] = {};
};

}  // namespace recmgr

#endif  // REPOINT_TOOLS_RECORD_FILE_H_
