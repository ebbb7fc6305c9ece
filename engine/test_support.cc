#include "engine/test_support.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>

namespace wbtrv32_test {

ScratchDir::ScratchDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/wbtrv32_test.XXXXXX";
  path_ = mkdtemp(pattern.data()) != nullptr ? pattern : "";
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::vector<std::uint8_t> Definition(std::uint16_t min_record_length,
                                     const std::vector<KeySpec>& keys, std::uint16_t page_size) {
  std::vector<std::uint8_t> out(kFileDefHeaderSize);
  const auto put16 = [](std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
  };
  put16(out.data(), min_record_length);
  put16(out.data() + 2, page_size);
  put16(out.data() + 4, static_cast<std::uint16_t>(keys.size()));
  for (const KeySpec& key : keys) {
    for (std::size_t i = 0; i < key.size(); ++i) {
      std::uint8_t segment[kSegmentDefSize] = {};
      put16(segment, key[i].offset);
      put16(segment + 2, key[i].length);
      segment[4] = key[i].type;
      segment[5] = key[i].flags | (i + 1 < key.size() ? kKeySegmented : 0);
      out.insert(out.end(), segment, segment + kSegmentDefSize);
    }
  }
  return out;
}

std::uint16_t CreateFile(const std::string& path, const std::vector<std::uint8_t>& definition) {
  std::uint8_t block[kPositionBlockSize] = {};
  char name[256] = {};
  std::snprintf(name, sizeof name, "%s", path.c_str());
  std::vector<std::uint8_t> buffer = definition;
  auto length = static_cast<std::uint32_t>(buffer.size());
  return BTRCALL(kOpCreate, block, buffer.data(), &length, name, 255, 0);
}

Block::~Block() { Close(); }

std::uint16_t Block::Open(const std::string& path, std::int8_t mode) {
  std::memset(key, 0, sizeof key);
  std::snprintf(reinterpret_cast<char*>(key), sizeof key, "%s", path.c_str());
  length = 0;
  return BTRCALL(kOpOpen, position_block, data.data(), &length, key, 255, mode);
}

std::uint16_t Block::Close() {
  std::uint32_t none = 0;
  return BTRCALL(kOpClose, position_block, nullptr, &none, nullptr, 0, 0);
}

std::uint16_t Block::Call(std::uint16_t operation, std::int8_t key_number) {
  return BTRCALL(operation, position_block, data.data(), &length, key, 255, key_number);
}

std::uint16_t Block::Insert(const std::string& record) {
  std::memcpy(data.data(), record.data(), record.size());
  length = static_cast<std::uint32_t>(record.size());
  return Call(kOpInsert);
}

std::uint16_t Block::Update(const std::string& record) {
  std::memcpy(data.data(), record.data(), record.size());
  length = static_cast<std::uint32_t>(record.size());
  return Call(kOpUpdate);
}

std::uint16_t Block::Get(std::uint16_t operation, std::int8_t key_number) {
  length = kMaxRecordLength;
  return Call(operation, key_number);
}

std::uint16_t Block::GetEqual(const std::string& key_value, std::int8_t key_number) {
  std::memcpy(key, key_value.data(), key_value.size());
  return Get(kOpGetEqual, key_number);
}

std::uint16_t Block::GetDirect(std::uint32_t position, std::int8_t key_number) {
  std::memcpy(data.data(), &position, 4);
  return Get(kOpGetDirect, key_number);
}

std::uint32_t Block::Position(std::uint16_t* status) {
  std::uint32_t position = 0xFFFFFFFF;
  std::uint32_t size = 4;
  const std::uint16_t result =
      BTRCALL(kOpGetPosition, position_block, &position, &size, key, 255, 0);
  if (status != nullptr) *status = result;
  return result == kStatusSuccess ? position : 0xFFFFFFFF;
}

std::string Block::Record() const {
  return std::string(reinterpret_cast<const char*>(data.data()), length);
}

std::string Block::Key(std::size_t size) const {
  return std::string(reinterpret_cast<const char*>(key), size);
}

std::string RecordOf(const std::string& head, std::size_t length) {
  std::string record = head;
  for (std::size_t i = record.size(); i < length; ++i)
    record.push_back(static_cast<char>('a' + i % 26));
  record.resize(length);
  return record;
}

std::string Le32(std::uint32_t value) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(value >> (8 * i));
  return out;
}

int RunSql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  int result = sqlite3_open(path.c_str(), &db);
  if (result == SQLITE_OK) result = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return result;
}

}  // namespace wbtrv32_test
