#include "engine/record_cache.h"

#include <cstring>

namespace wbtrv32 {
namespace {

constexpr std::size_t kProbes = 8;

// MurmurHash3's finalizer: positions are multiples of 4 and cluster, so
// every bit of the key must reach the low bits of the slot number.
std::size_t Hash(std::uint32_t key) {
  key ^= key >> 16;
  key *= 0x85ebca6b;
  key ^= key >> 13;
  key *= 0xc2b2ae35;
  key ^= key >> 16;
  return key;
}

}  // namespace

RecordCache::RecordCache(std::size_t arena_bytes, std::size_t slot_count)
    : arena_bytes_(arena_bytes), slot_count_(slot_count) {}

bool RecordCache::Live(const Slot& slot) const {
  // Written in this lap, or in the last one past where this lap has come.
  return slot.lap == lap_ || (slot.lap + 1 == lap_ && slot.offset >= write_offset_);
}

const std::uint8_t* RecordCache::Find(std::uint32_t key, std::uint32_t* length) const {
  if (slots_.empty()) return nullptr;
  const std::size_t home = Hash(key);
  for (std::size_t probe = 0; probe < kProbes; ++probe) {
    const Slot& slot = slots_[(home + probe) & (slot_count_ - 1)];
    if (slot.lap == 0 || !Live(slot)) continue;
    const std::uint8_t* entry = arena_.data() + slot.offset;
    std::uint32_t entry_key;
    std::memcpy(&entry_key, entry, 4);
    if (entry_key != key) continue;
    std::memcpy(length, entry + 4, 4);
    return entry + kHeaderSize;
  }
  return nullptr;
}

void RecordCache::Put(std::uint32_t key, const std::uint8_t* value, std::uint32_t length) {
  const std::uint32_t size = kHeaderSize + ((length + 7) & ~7u);
  if (size > arena_bytes_ / 16) return;
  if (slots_.empty()) {
    arena_.resize(arena_bytes_);
    slots_.resize(slot_count_);
  }
  if (write_offset_ + size > arena_bytes_) {
    ++lap_;
    write_offset_ = 0;
  }
  // The first of the probed slots that is free, stale or this key's.
  const std::size_t home = Hash(key);
  Slot* target = &slots_[home & (slot_count_ - 1)];
  for (std::size_t probe = 0; probe < kProbes; ++probe) {
    Slot& slot = slots_[(home + probe) & (slot_count_ - 1)];
    if (slot.lap == 0 || !Live(slot)) {
      target = &slot;
      break;
    }
    std::uint32_t entry_key;
    std::memcpy(&entry_key, arena_.data() + slot.offset, 4);
    if (entry_key == key) {
      target = &slot;
      break;
    }
  }
  std::uint8_t* entry = arena_.data() + write_offset_;
  std::memcpy(entry, &key, 4);
  std::memcpy(entry + 4, &length, 4);
  std::memcpy(entry + kHeaderSize, value, length);
  *target = Slot{write_offset_, lap_};
  write_offset_ += size;
  used_ = true;
}

void RecordCache::Clear() {
  if (!used_) return;
  used_ = false;
  lap_ += 2;  // every slot is then at least two laps old
  write_offset_ = 0;
}

}  // namespace wbtrv32
