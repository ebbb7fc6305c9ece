#include "engine/engine.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/byte_order.h"
#include "engine/position_block.h"
#include "engine/wbtrv32.h"

namespace wbtrv32 {
namespace {

// The NUL-terminated name in a key buffer of `key_length` bytes (256 when it
// is 255), or nullptr when there is none.
const char* FileName(const Request& request) {
  if (request.key == nullptr) return nullptr;
  const std::size_t size = request.key_length == 255 ? 256 : request.key_length;
  const auto* name = static_cast<const char*>(request.key);
  const void* end = std::memchr(name, '\0', size);
  if (end == nullptr || end == name) return nullptr;
  return name;
}

std::uint32_t DataCapacity(const Request& request) {
  return request.data == nullptr || request.data_length == nullptr ? 0 : *request.data_length;
}

void SetDataLength(const Request& request, std::uint32_t length) {
  if (request.data_length != nullptr) *request.data_length = length;
}

bool IsWrite(std::uint16_t operation) {
  return operation == kOpInsert || operation == kOpUpdate || operation == kOpDelete;
}

}  // namespace

Engine::Engine() : scratch_(kMaxRecordLength) {
  // SQLite's memory statistics take a global mutex on every allocation; the
  // library has no use for them. Refused, harmlessly, when the host process
  // has started SQLite already.
  sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
}

std::uint16_t Engine::Call(const Request& request) {
  std::lock_guard<std::mutex> lock(mutex_);
  CommitDue();
  return Dispatch(request);
}

void Engine::ReleaseAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  ReleaseLocked();
}

void Engine::ReleaseLocked() {
  for (Handle& handle : handles_) {
    if (!handle.in_use) continue;
    handle.in_use = false;
    handle.file.reset();
    ++handle.generation;
  }
  files_.clear();  // each file commits as it closes
}

void Engine::CommitDue() {
  const std::int64_t now = MonotonicNs();
  for (const auto& file : files_) file->CommitIfOlder(now, kCommitAgeNs);
}

Engine::Handle* Engine::Find(const void* position_block) {
  PositionBlockId id;
  if (!ReadPositionBlock(position_block, &id) || id.index >= handles_.size()) return nullptr;
  Handle& handle = handles_[id.index];
  if (!handle.in_use || handle.generation != id.generation) return nullptr;
  return &handle;
}

std::uint16_t Engine::Dispatch(const Request& request) {
  switch (request.operation) {
    case kOpOpen:
      return Open(request);
    case kOpCreate:
      return Create(request);
    case kOpReset:
    case kOpStop:
      ReleaseLocked();
      return kStatusSuccess;
    default:
      break;
  }
  Handle* handle = Find(request.position_block);
  switch (request.operation) {
    case kOpClose:
    case kOpInsert:
    case kOpUpdate:
    case kOpDelete:
    case kOpGetEqual:
    case kOpGetNext:
    case kOpGetFirst:
    case kOpStat:
    case kOpGetPosition:
    case kOpGetDirect:
    case kOpStepNext:
    case kOpStepFirst:
      if (handle == nullptr) return kStatusFileNotOpen;
      break;
    default:
      return kStatusInvalidOperation;
  }
  if (IsWrite(request.operation) && handle->read_only) return kStatusReadOnly;
  switch (request.operation) {
    case kOpClose:
      return Close(*handle, request);
    case kOpInsert:
      return Insert(*handle, request);
    case kOpUpdate:
      return Update(*handle, request);
    case kOpDelete:
      return Delete(*handle);
    case kOpStat:
      return Stat(*handle, request);
    case kOpGetPosition:
      return GetPosition(*handle, request);
    case kOpGetDirect:
      return GetDirect(*handle, request);
    case kOpStepNext:
      return Step(*handle, request, false);
    case kOpStepFirst:
      return Step(*handle, request, true);
    default:
      return GetKeyed(*handle, request);
  }
}

std::uint16_t Engine::Open(const Request& request) {
  if (request.position_block == nullptr) return kStatusFileNotOpen;
  if (Find(request.position_block) != nullptr) return kStatusInvalidOperation;
  if (request.key_number != kOpenNormal && request.key_number != kOpenReadOnly) {
    return kStatusInvalidOperation;
  }
  const char* name = FileName(request);
  if (name == nullptr) return kStatusInvalidFileName;
  const bool for_writing = request.key_number == kOpenNormal;

  std::shared_ptr<RecordFile> file;
  struct stat info;
  if (stat(name, &info) == 0) {
    for (const auto& open : files_) {
      if (open->device() == info.st_dev && open->inode() == info.st_ino) file = open;
    }
  }
  if (file != nullptr) {
    if (for_writing) {
      const std::uint16_t status = file->LockForWriting();
      if (status != kStatusSuccess) return status;
    }
  } else {
    std::unique_ptr<RecordFile> opened;
    const std::uint16_t status = RecordFile::Open(name, for_writing, &opened);
    if (status != kStatusSuccess) return status;
    file = std::move(opened);
    files_.push_back(file);
  }

  auto free_slot = std::find_if(handles_.begin(), handles_.end(),
                                [](const Handle& handle) { return !handle.in_use; });
  if (free_slot == handles_.end()) free_slot = handles_.insert(handles_.end(), Handle{});
  Handle& handle = *free_slot;
  const std::uint32_t generation = handle.generation + 1;
  handle = Handle{};
  handle.in_use = true;
  handle.generation = generation;
  handle.file = std::move(file);
  handle.read_only = !for_writing;
  WritePositionBlock(request.position_block,
                     {static_cast<std::uint32_t>(free_slot - handles_.begin()), generation});
  return kStatusSuccess;
}

std::uint16_t Engine::Create(const Request& request) {
  const char* name = FileName(request);
  if (name == nullptr) return kStatusInvalidFileName;
  FileDefinition definition;
  const std::uint16_t status = ParseCreateBuffer(static_cast<const std::uint8_t*>(request.data),
                                                 DataCapacity(request), &definition);
  if (status != kStatusSuccess) return status;
  return RecordFile::Create(name, definition);
}

std::uint16_t Engine::Close(Handle& handle, const Request& request) {
  std::uint16_t status = handle.file->CommitIfOlder(0, 0);
  if (status == kStatusSuccess) status = handle.file->TakeCommitFailure();
  std::shared_ptr<RecordFile> file = std::move(handle.file);
  handle.in_use = false;
  ++handle.generation;
  std::memset(request.position_block, 0, kPositionBlockSize);
  if (file.use_count() == 2) std::erase(files_, file);  // the last handle on it
  return status;
}

std::uint16_t Engine::CheckKey(const Handle& handle, const Request& request) const {
  const auto& keys = handle.file->definition().keys;
  if (request.key_number < 0 || static_cast<std::size_t>(request.key_number) >= keys.size()) {
    return kStatusInvalidKeyNumber;
  }
  if (request.key == nullptr || request.key_length < keys[request.key_number].length) {
    return kStatusKeyBufferTooShort;
  }
  return kStatusSuccess;
}

void Engine::MakeCurrent(Handle& handle, const Request& request, const RecordOut& out,
                         int key_path) {
  handle.has_current = true;
  handle.current_deleted = false;
  handle.position = out.position;
  handle.key_path = key_path;
  SetDataLength(request, out.length);
  if (key_path < 0) return;
  const FileDefinition& definition = handle.file->definition();
  const Key& key = definition.keys[key_path];
  const auto* record = static_cast<const std::uint8_t*>(out.buffer);
  StoredKeyFromRecord(definition, key, record, &handle.key_value);
  CopyRawKey(definition, key, record, static_cast<std::uint8_t*>(request.key));
}

std::uint16_t Engine::Insert(Handle& handle, const Request& request) {
  static const std::uint8_t kEmpty = 0;
  const auto* data = request.data == nullptr ? &kEmpty : static_cast<std::uint8_t*>(request.data);
  const std::uint32_t length = request.data == nullptr ? 0 : DataCapacity(request);
  std::int64_t position = 0;
  const std::uint16_t status = handle.file->Insert(data, length, &position);
  if (status != kStatusSuccess) return status;
  const bool on_key = CheckKey(handle, request) == kStatusSuccess;
  RecordOut out{const_cast<std::uint8_t*>(data), length, position, length};
  MakeCurrent(handle, request, out, on_key ? request.key_number : -1);
  return kStatusSuccess;
}

std::uint16_t Engine::Update(Handle& handle, const Request& request) {
  if (!handle.has_current || handle.current_deleted) return kStatusNoCurrentRecord;
  if (request.data == nullptr) return kStatusInvalidRecordLength;
  const auto* data = static_cast<const std::uint8_t*>(request.data);
  const std::uint16_t status = handle.file->Update(handle.position, data, DataCapacity(request));
  if (status != kStatusSuccess) return status;
  if (handle.key_path >= 0) {
    const FileDefinition& definition = handle.file->definition();
    StoredKeyFromRecord(definition, definition.keys[handle.key_path], data, &handle.key_value);
  }
  return kStatusSuccess;
}

std::uint16_t Engine::Delete(Handle& handle) {
  if (!handle.has_current || handle.current_deleted) return kStatusNoCurrentRecord;
  const std::uint16_t status = handle.file->Delete(handle.position);
  if (status == kStatusSuccess) handle.current_deleted = true;
  return status;
}

std::uint16_t Engine::Step(Handle& handle, const Request& request, bool first) {
  if (!first && !handle.has_current) return kStatusNoCurrentRecord;
  RecordOut out{request.data, DataCapacity(request)};
  const std::uint16_t status = handle.file->StepAfter(first ? -1 : handle.position, &out);
  if (status != kStatusSuccess) return status;
  MakeCurrent(handle, request, out, -1);
  return kStatusSuccess;
}

std::uint16_t Engine::GetDirect(Handle& handle, const Request& request) {
  std::uint16_t status = CheckKey(handle, request);
  if (status != kStatusSuccess) return status;
  const std::uint32_t capacity = DataCapacity(request);
  if (capacity < 4) return kStatusDataBufferTooShort;
  const std::int64_t position = LoadLe32(static_cast<const std::uint8_t*>(request.data));
  // Read into scratch first: the data buffer holds the position until the
  // record is known to fit.
  RecordOut out{scratch_.data(), kMaxRecordLength};
  status = handle.file->ReadAt(position, &out);
  if (status != kStatusSuccess) return status;
  if (out.length > capacity) return kStatusDataBufferTooShort;
  if (out.length < handle.file->definition().keys[request.key_number].record_end) {
    return kStatusIoError;
  }
  std::memcpy(request.data, scratch_.data(), out.length);
  out.buffer = request.data;
  MakeCurrent(handle, request, out, request.key_number);
  return kStatusSuccess;
}

std::uint16_t Engine::GetKeyed(Handle& handle, const Request& request) {
  std::uint16_t status = CheckKey(handle, request);
  if (status != kStatusSuccess) return status;
  const int key_number = request.key_number;
  const FileDefinition& definition = handle.file->definition();
  const Key& key = definition.keys[key_number];
  RecordOut out{request.data, DataCapacity(request)};
  if (request.operation == kOpGetEqual) {
    StoredKey value;
    StoredKeyFromRaw(definition, key, static_cast<const std::uint8_t*>(request.key), &value);
    status = handle.file->FindEqual(key_number, value, &out);
  } else if (request.operation == kOpGetFirst) {
    status = handle.file->FindFirst(key_number, &out);
  } else {
    if (!handle.has_current) return kStatusNoCurrentRecord;
    if (handle.key_path != key_number) {
      // A path on another key, or none: take the current record's value.
      if (handle.current_deleted) return kStatusNoCurrentRecord;
      RecordOut current{scratch_.data(), kMaxRecordLength};
      status = handle.file->ReadAt(handle.position, &current);
      if (status == kStatusInvalidPosition) return kStatusNoCurrentRecord;
      if (status != kStatusSuccess) return status;
      if (current.length < key.record_end) return kStatusIoError;
      StoredKeyFromRecord(definition, key, scratch_.data(), &handle.key_value);
      handle.key_path = key_number;
    }
    status = handle.file->FindNext(key_number, handle.key_value, handle.position, &out);
  }
  if (status != kStatusSuccess) return status;
  if (out.length < key.record_end) return kStatusIoError;
  MakeCurrent(handle, request, out, key_number);
  return kStatusSuccess;
}

std::uint16_t Engine::GetPosition(Handle& handle, const Request& request) {
  if (!handle.has_current || handle.current_deleted) return kStatusNoCurrentRecord;
  if (DataCapacity(request) < 4) return kStatusDataBufferTooShort;
  StoreLe32(static_cast<std::uint8_t*>(request.data), static_cast<std::uint32_t>(handle.position));
  SetDataLength(request, 4);
  return kStatusSuccess;
}

std::uint16_t Engine::Stat(Handle& handle, const Request& request) {
  const FileDefinition& definition = handle.file->definition();
  const std::uint32_t size = StatSize(definition);
  if (DataCapacity(request) < size) return kStatusDataBufferTooShort;
  std::uint32_t count = 0;
  const std::uint16_t status = handle.file->CountRecords(&count);
  if (status != kStatusSuccess) return status;
  WriteStat(definition, count, static_cast<std::uint8_t*>(request.data));
  SetDataLength(request, size);
  return kStatusSuccess;
}

}  // namespace wbtrv32
