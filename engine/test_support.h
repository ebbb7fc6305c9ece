// Helpers for the record manager's tests: a scratch directory, file
// definitions in the Create layout, and a position block with its buffers.
#ifndef REPOINT_ENGINE_TEST_SUPPORT_H_
#define REPOINT_ENGINE_TEST_SUPPORT_H_

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/wbtrv32.h"

namespace wbtrv32_test {

// A fresh directory under $TMPDIR (or /tmp), removed with its contents.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct SegmentSpec {
  std::uint16_t offset;
  std::uint16_t length;
  std::uint8_t type;
  std::uint8_t flags = 0;  // kKey... bits; kKeySegmented is added for a key's leading segments
};

using KeySpec = std::vector<SegmentSpec>;

// A Create buffer.
std::vector<std::uint8_t> Definition(std::uint16_t min_record_length,
                                     const std::vector<KeySpec>& keys,
                                     std::uint16_t page_size = 4096);

// Creates `path` through the call entry; returns the status.
std::uint16_t CreateFile(const std::string& path, const std::vector<std::uint8_t>& definition);

// One position block and the buffers a caller passes with it.
class Block {
 public:
  Block() = default;
  ~Block();  // closes the file if it is open
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;

  std::uint16_t Open(const std::string& path, std::int8_t mode = kOpenNormal);
  std::uint16_t Close();

  // A request with this block's buffers: the record in `data` (data_length
  // holding `length` in, the length returned out), the key buffer passed
  // with key length 255.
  std::uint16_t Call(std::uint16_t operation, std::int8_t key_number = 0);

  std::uint16_t Insert(const std::string& record);
  std::uint16_t Update(const std::string& record);
  std::uint16_t Get(std::uint16_t operation, std::int8_t key_number = 0);
  std::uint16_t GetEqual(const std::string& key_value, std::int8_t key_number);
  std::uint16_t GetDirect(std::uint32_t position, std::int8_t key_number = 0);
  // The current record's position, or 0xFFFFFFFF with the status in `status`.
  std::uint32_t Position(std::uint16_t* status = nullptr);

  std::string Record() const;  // the data buffer's first `length` bytes
  std::string Key(std::size_t size) const;

  std::uint8_t position_block[kPositionBlockSize] = {};
  std::vector<std::uint8_t> data = std::vector<std::uint8_t>(kMaxRecordLength);
  std::uint32_t length = 0;
  std::uint8_t key[256] = {};
};

// A record of `length` bytes: `head` then a pattern.
std::string RecordOf(const std::string& head, std::size_t length);

std::string Le32(std::uint32_t value);

// Runs `sql` on the SQLite database `path` (created if missing), outside the
// record manager. Returns SQLite's result code.
int RunSql(const std::string& path, const std::string& sql);

}  // namespace wbtrv32_test

#endif  // REPOINT_ENGINE_TEST_SUPPORT_H_
