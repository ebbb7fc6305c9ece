// The record manager behind the call entry: the table of handles that
// position blocks name, each handle's currency, and the files that they
// share (one RecordFile per physical file in the process).
//
// Currency, per handle: the current record (its position; still known after
// a Delete, so that Step Next and Get Next go on from its place) and the key
// path of the last keyed request (its key number and the current record's
// stored value on it).
#ifndef REPOINT_ENGINE_ENGINE_H_
#define REPOINT_ENGINE_ENGINE_H_

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/key_value.h"
#include "engine/record_file.h"

namespace wbtrv32 {

// One call's arguments, as BTRCALL received them.
struct Request {
  std::uint16_t operation = 0;
  void* position_block = nullptr;
  void* data = nullptr;
  std::uint32_t* data_length = nullptr;
  void* key = nullptr;
  std::uint8_t key_length = 0;
  std::int8_t key_number = 0;
};

class Engine {
 public:
  // Writes are committed when their transaction is older than this.
  static constexpr std::int64_t kCommitAgeNs = 200000000;

  Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Serves one call; returns its status. Thread-safe.
  std::uint16_t Call(const Request& request);

  // Commits every file's writes and closes every file and handle.
  void ReleaseAll();

 private:
  struct Handle {
    bool in_use = false;
    std::uint32_t generation = 0;
    std::shared_ptr<RecordFile> file;
    bool read_only = false;
    bool has_current = false;
    bool current_deleted = false;
    std::int64_t position = 0;
    int key_path = -1;
    StoredKey key_value;
  };

  std::uint16_t Dispatch(const Request& request);
  Handle* Find(const void* position_block);
  // Commits every file whose writes are kCommitAgeNs old; a failure waits for
  // that file's next write or Close.
  void CommitDue();
  void ReleaseLocked();

  std::uint16_t Open(const Request& request);
  std::uint16_t Create(const Request& request);
  std::uint16_t Close(Handle& handle, const Request& request);
  std::uint16_t Insert(Handle& handle, const Request& request);
  std::uint16_t Update(Handle& handle, const Request& request);
  std::uint16_t Delete(Handle& handle);
  std::uint16_t Step(Handle& handle, const Request& request, bool first);
  std::uint16_t GetDirect(Handle& handle, const Request& request);
  std::uint16_t GetKeyed(Handle& handle, const Request& request);
  std::uint16_t GetPosition(Handle& handle, const Request& request);
  std::uint16_t Stat(Handle& handle, const Request& request);

  // The key of a keyed request: 6 when the file has no such key, 21 when the
  // key buffer cannot hold its value.
  std::uint16_t CheckKey(const Handle& handle, const Request& request) const;
  // Makes the record just read current on `key_path` (-1: none), its key value
  // copied to the key buffer.
  void MakeCurrent(Handle& handle, const Request& request, const RecordOut& out, int key_path);

  std::mutex mutex_;
  std::vector<Handle> handles_;
  std::vector<std::shared_ptr<RecordFile>> files_;
  std::vector<std::uint8_t> scratch_;  // a record read for the engine's own use
};

}  // namespace wbtrv32

#endif  // REPOINT_ENGINE_ENGINE_H_
