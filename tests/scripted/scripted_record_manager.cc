#include "tests/scripted/scripted_record_manager.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <sstream>
#include <thread>

#include "engine/wbtrv32.h"

namespace repoint::scripted {
namespace {

enum : int { kOldFile = 1, kNewFile = 2, kMemoFile = 3 };

void PutLittleEndian(std::uint32_t value, unsigned char* out) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t GetLittleEndian(const unsigned char* in) {
  return std::uint32_t{in[0]} | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16 |
         std::uint32_t{in[3]} << 24;
}

// The rest of the line after one separating blank.
std::string RestOfLine(std::istringstream& in) {
  std::string rest;
  if (in.peek() == ' ') in.get();
  std::getline(in, rest);
  return rest;
}

}  // namespace

std::string MemoRecord(std::uint32_t pointer, std::string_view text) {
  std::string record(4, '\0');
  PutLittleEndian(pointer, reinterpret_cast<unsigned char*>(record.data()));
  record.append(text);
  return record;
}

ScriptedRecordManager::ScriptedRecordManager(std::string_view script, std::string* error) {
  std::istringstream lines{std::string(script)};
  std::string line;
  while (std::getline(lines, line)) {
    line = line.substr(0, line.find('#'));
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    if (!ParseLine(line) && error != nullptr && error->empty()) {
      *error = "malformed script line: " + line;
    }
  }
}

bool ScriptedRecordManager::ParseLine(const std::string& line) {
  std::istringstream in(line);
  std::string command;
  in >> command;
  if (command == "old" || command == "new") {
    NoteRecord record{};
    if (!(in >> record.position)) return false;
    std::string key;
    while (in >> key) record.keys.push_back(key);
    if (record.keys.empty()) return false;
    (command == "old" ? old_notes_ : new_notes_).push_back(record);
    return true;
  }
  if (command == "memo" || command == "memos") {
    long long count = 1;
    std::uint32_t pointer = 0;
    if (command == "memos" && !(in >> count)) return false;
    if (!(in >> pointer)) return false;
    const std::string record = MemoRecord(pointer, RestOfLine(in));
    memos_.insert(memos_.end(), static_cast<std::size_t>(count), record);
    return true;
  }
  if (command == "records") return static_cast<bool>(in >> indicated_count_);
  if (command == "step_delay_ms") return static_cast<bool>(in >> step_delay_ms_);
  if (command == "fail") {
    Fault fault{};
    return static_cast<bool>(in >> fault.operation >> fault.nth >> fault.status) &&
           (faults_.push_back(fault), true);
  }
  return false;
}

std::uint16_t ScriptedRecordManager::Call(std::uint16_t operation, void* position_block,
                                          void* data_buffer, std::uint32_t* data_length,
                                          void* key_buffer, std::uint8_t key_length,
                                          std::int8_t key_number) {
  auto* block = static_cast<unsigned char*>(position_block);
  const int file = block[0];
  requests_.push_back({operation, file, *data_length, key_length, key_number});
  std::uint16_t status = 0;
  if (Faulted(operation, &status)) {
    // An injected failure of an Open still takes that file's turn.
    if (operation == kOpOpen) ++opens_;
    return status;
  }
  return Dispatch(operation, file, block, static_cast<unsigned char*>(data_buffer), data_length,
                  static_cast<char*>(key_buffer), key_length, key_number);
}

bool ScriptedRecordManager::Faulted(std::uint16_t operation, std::uint16_t* status) {
  const int nth = ++calls_by_operation_[operation];
  for (const Fault& fault : faults_) {
    if (fault.operation == operation && (fault.nth == 0 || fault.nth == nth)) {
      *status = fault.status;
      return true;
    }
  }
  return false;
}

std::uint16_t ScriptedRecordManager::Dispatch(std::uint16_t operation, int file,
                                              unsigned char* position_block, unsigned char* data,
                                              std::uint32_t* data_length, char* key,
                                              std::uint8_t key_length, std::int8_t key_number) {
  switch (operation) {
    case kOpOpen:
      return Open(position_block);
    case kOpReset:
    case kOpStop:
      return 0;
    default:
      break;
  }
  if (file == 0) return kStatusFileNotOpen;
  switch (operation) {
    case kOpClose:
      position_block[0] = 0;
      return 0;
    case kOpStat:
      if (file != kMemoFile) return kStatusInvalidOperation;
      return Stat(data, data_length);
    case kOpGetDirect:
      if (file != kOldFile) return kStatusInvalidOperation;
      return GetDirect(data, data_length, key, key_length, key_number);
    case kOpGetEqual:
      if (file != kNewFile) return kStatusInvalidOperation;
      return GetEqual(data, data_length, key, key_number);
    case kOpGetPosition:
      if (file != kNewFile) return kStatusInvalidOperation;
      return GetPosition(data, data_length);
    default:
      break;
  }
  if (file != kMemoFile) return kStatusInvalidOperation;
  switch (operation) {
    case kOpStepFirst:
      return Step(0, data, data_length);
    case kOpStepNext:
      if (!memo_positioned_) return kStatusNoCurrentRecord;
      return Step(memo_current_deleted_ ? memo_cursor_ : memo_cursor_ + 1, data, data_length);
    case kOpUpdate:
      if (!memo_positioned_ || memo_current_deleted_) return kStatusNoCurrentRecord;
      memos_[memo_cursor_].assign(reinterpret_cast<const char*>(data), *data_length);
      return 0;
    case kOpDelete:
      if (!memo_positioned_ || memo_current_deleted_) return kStatusNoCurrentRecord;
      memos_.erase(memos_.begin() + static_cast<std::ptrdiff_t>(memo_cursor_));
      memo_current_deleted_ = true;
      return 0;
    default:
      return kStatusInvalidOperation;
  }
}

std::uint16_t ScriptedRecordManager::Open(unsigned char* position_block) {
  const int file = ++opens_;
  if (file > kMemoFile) return kStatusFileNotFound;
  position_block[0] = static_cast<unsigned char>(file);
  return 0;
}

std::uint16_t ScriptedRecordManager::GetDirect(unsigned char* data, std::uint32_t* data_length,
                                               char* key, std::uint8_t key_length,
                                               std::int8_t key_number) {
  const std::uint32_t position = GetLittleEndian(data);
  const auto record = std::find_if(old_notes_.begin(), old_notes_.end(),
                                   [&](const NoteRecord& r) { return r.position == position; });
  if (record == old_notes_.end()) return kStatusInvalidPosition;
  if (key_number < 0 || static_cast<std::size_t>(key_number) >= record->keys.size()) {
    return kStatusInvalidKeyNumber;
  }
  const std::string& value = record->keys[static_cast<std::size_t>(key_number)];
  if (value.size() >= key_length || value.size() > *data_length) return kStatusDataBufferTooShort;
  std::memcpy(key, value.c_str(), value.size() + 1);
  std::memcpy(data, value.data(), value.size());
  *data_length = static_cast<std::uint32_t>(value.size());
  return 0;
}

std::uint16_t ScriptedRecordManager::GetEqual(unsigned char* data, std::uint32_t* data_length,
                                              const char* key, std::int8_t key_number) {
  if (key_number < 0) return kStatusInvalidKeyNumber;
  const auto index = static_cast<std::size_t>(key_number);
  const auto record = std::find_if(new_notes_.begin(), new_notes_.end(), [&](const NoteRecord& r) {
    return index < r.keys.size() && r.keys[index] == key;
  });
  if (record == new_notes_.end()) return kStatusKeyNotFound;
  const std::string& value = record->keys[index];
  if (value.size() > *data_length) return kStatusDataBufferTooShort;
  std::memcpy(data, value.data(), value.size());
  *data_length = static_cast<std::uint32_t>(value.size());
  new_current_ = &*record;
  return 0;
}

std::uint16_t ScriptedRecordManager::GetPosition(unsigned char* data, std::uint32_t* data_length) {
  if (new_current_ == nullptr) return kStatusNoCurrentRecord;
  if (*data_length < 4) return kStatusDataBufferTooShort;
  PutLittleEndian(new_current_->position, data);
  *data_length = 4;
  return 0;
}

std::uint16_t ScriptedRecordManager::Step(std::size_t index, unsigned char* data,
                                          std::uint32_t* data_length) {
  if (step_delay_ms_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(step_delay_ms_));
  if (index >= memos_.size()) return kStatusEndOfFile;
  const std::string& record = memos_[index];
  if (record.size() > *data_length) return kStatusDataBufferTooShort;
  std::memcpy(data, record.data(), record.size());
  *data_length = static_cast<std::uint32_t>(record.size());
  memo_cursor_ = index;
  memo_positioned_ = true;
  memo_current_deleted_ = false;
  return 0;
}

std::uint16_t ScriptedRecordManager::Stat(unsigned char* data, std::uint32_t* data_length) {
  constexpr std::uint32_t kStatHeaderSize = 16;
  if (*data_length < kStatHeaderSize) return kStatusDataBufferTooShort;
  std::memset(data, 0, kStatHeaderSize);
  const auto count = static_cast<std::uint32_t>(
      indicated_count_ >= 0 ? indicated_count_ : static_cast<long long>(memos_.size()));
  PutLittleEndian(count, data + 6);
  *data_length = kStatHeaderSize;
  return 0;
}

}  // namespace repoint::scripted
