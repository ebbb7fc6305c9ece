#include "tools/record_file.h"

#include <algorithm>
#include <cstring>

#include "engine/wbtrv32.h"

namespace recmgr {
namespace {

// The key buffer of Open and Create: the NUL-terminated name.
std::vector<char> NameBuffer(const std::string& name) {
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  return buffer;
}

uint8_t KeyLengthOf(const std::vector<char>& buffer) {
  return static_cast<uint8_t>(std::min<size_t>(buffer.size(), kMaxKeyLength));
}

}  // namespace

uint16_t CreateRecordFile(const std::string& name, const FileDefinition& definition) {
  std::string create = EncodeCreateBuffer(definition);
  std::vector<char> key = NameBuffer(name);
  char position_block[kPositionBlockSize] = {};
  auto length = static_cast<uint32_t>(create.size());
  return BTRCALL(kOpCreate, position_block, create.data(), &length, key.data(), KeyLengthOf(key),
                 0);
}

RecordFile::RecordFile() : data_(std::max<size_t>(kMaxRecordLength, kStatBufferSize)) {}

RecordFile::~RecordFile() {
  if (open_) Close();
}

uint16_t RecordFile::Call(uint16_t operation, void* data, uint32_t data_length, int key) {
  uint32_t length = data_length;
  const uint16_t status = BTRCALL(operation, position_block_, data, &length, key_, sizeof key_ - 1,
                                  static_cast<int8_t>(key));
  if (data == data_.data()) data_length_ = status == kStatusSuccess ? length : 0;
  return status;
}

uint16_t RecordFile::Open(const std::string& name, OpenMode mode) {
  std::vector<char> key = NameBuffer(name);
  uint32_t length = 0;
  std::memset(position_block_, 0, sizeof position_block_);
  const uint16_t status =
      BTRCALL(kOpOpen, position_block_, data_.data(), &length, key.data(), KeyLengthOf(key),
              mode == OpenMode::kReadOnly ? kOpenReadOnly : kOpenNormal);
  open_ = status == kStatusSuccess;
  return status;
}

uint16_t RecordFile::Close() {
  open_ = false;
  return Call(kOpClose, data_.data(), 0, 0);
}

uint16_t RecordFile::Stat(FileDefinition* definition, uint32_t* record_count, std::string* error) {
  const uint16_t status = Call(kOpStat, data_.data(), kStatBufferSize, -1);
  if (status != kStatusSuccess) return status;
  if (!DecodeStatBuffer(reinterpret_cast<const unsigned char*>(data_.data()), data_length_,
                        definition, record_count, error)) {
    return kStatusIoError;
  }
  return kStatusSuccess;
}

uint16_t RecordFile::StepFirst() { return Call(kOpStepFirst, data_.data(), kMaxRecordLength, 0); }

uint16_t RecordFile::StepNext() { return Call(kOpStepNext, data_.data(), kMaxRecordLength, 0); }

uint16_t RecordFile::GetFirst(int key) {
  return Call(kOpGetFirst, data_.data(), kMaxRecordLength, key);
}

uint16_t RecordFile::GetNext(int key) {
  return Call(kOpGetNext, data_.data(), kMaxRecordLength, key);
}

uint16_t RecordFile::GetEqual(int key, std::string_view key_value) {
  std::memmove(key_, key_value.data(), std::min(key_value.size(), sizeof key_));
  return Call(kOpGetEqual, data_.data(), kMaxRecordLength, key);
}

uint16_t RecordFile::GetDirect(uint32_t position, int key) {
  for (int i = 0; i < 4; ++i) data_[i] = static_cast<char>(position >> (8 * i));
  return Call(kOpGetDirect, data_.data(), kMaxRecordLength, key);
}

uint16_t RecordFile::GetPosition(uint32_t* position) {
  unsigned char bytes[4] = {};
  const uint16_t status = Call(kOpGetPosition, bytes, sizeof bytes, 0);
  *position = static_cast<uint32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16) |
              static_cast<uint32_t>(bytes[3]) << 24;
  return status;
}

uint16_t RecordFile::Insert(std::string_view record) {
  if (record.size() > kMaxRecordLength) return kStatusInvalidRecordLength;
  std::memmove(data_.data(), record.data(), record.size());
  return Call(kOpInsert, data_.data(), static_cast<uint32_t>(record.size()), 0);
}

uint16_t RecordFile::Delete() { return Call(kOpDelete, data_.data(), 0, 0); }

}  // namespace recmgr
