// A bounded cache of byte strings by 32-bit key: the records that Get Direct
// and Get Equal read, so that a walk which asks for the same owner record
// again and again (a memo file's pointers into its note file) asks SQLite
// once. Entries live in a ring of bytes, the newest pushing out the oldest;
// a hash table of 8-byte slots finds them.
//
// The owner clears the cache on every write to its file.
#ifndef REPOINT_ENGINE_RECORD_CACHE_H_
#define REPOINT_ENGINE_RECORD_CACHE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace wbtrv32 {

class RecordCache {
 public:
  // At most `arena_bytes` of entries and `slot_count` (a power of two)
  // slots, allocated on first use; values longer than a sixteenth of the
  // arena are not kept.
  RecordCache(std::size_t arena_bytes, std::size_t slot_count);

  // The value under `key`, or nullptr. Valid until the next Put or Clear.
  const std::uint8_t* Find(std::uint32_t key, std::uint32_t* length) const;
  void Put(std::uint32_t key, const std::uint8_t* value, std::uint32_t length);
  void Clear();

 private:
  struct Slot {
    std::uint32_t offset = 0;  // of the entry: key, length, value
    std::uint32_t lap = 0;     // 0: empty
  };
  static constexpr std::uint32_t kHeaderSize = 8;

  bool Live(const Slot& slot) const;

  std::size_t arena_bytes_;
  std::size_t slot_count_;
  std::vector<std::uint8_t> arena_;
  std::vector<Slot> slots_;
  std::uint32_t lap_ = 1;  // how often the ring was begun anew
  std::uint32_t write_offset_ = 0;
  bool used_ = false;  // since the last Clear
};

}  // namespace wbtrv32

#endif  // REPOINT_ENGINE_RECORD_CACHE_H_
