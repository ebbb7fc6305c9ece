// What the library keeps in a caller's 128-byte position block: a mark, the
// index of its handle and the handle's generation, so that a block of zeros,
// of garbage or of a closed file is told apart from an open one.
#ifndef REPOINT_ENGINE_POSITION_BLOCK_H_
#define REPOINT_ENGINE_POSITION_BLOCK_H_

#include <cstdint>
#include <cstring>

#include "engine/byte_order.h"
#include "engine/wbtrv32.h"

namespace wbtrv32 {

inline constexpr std::uint32_t kPositionBlockMark = 0x31425057;  // "WPB1"

struct PositionBlockId {
  std::uint32_t index = 0;
  std::uint32_t generation = 0;
};

inline void WritePositionBlock(void* block, PositionBlockId id) {
  auto* out = static_cast<std::uint8_t*>(block);
  std::memset(out, 0, kPositionBlockSize);
  StoreLe32(out, kPositionBlockMark);
  StoreLe32(out + 4, id.index);
  StoreLe32(out + 8, id.generation);
}

// False when the block does not carry the mark.
inline bool ReadPositionBlock(const void* block, PositionBlockId* id) {
  const auto* in = static_cast<const std::uint8_t*>(block);
  if (in == nullptr || LoadLe32(in) != kPositionBlockMark) return false;
  id->index = LoadLe32(in + 4);
  id->generation = LoadLe32(in + 8);
  return true;
}

}  // namespace wbtrv32

#endif  // REPOINT_ENGINE_POSITION_BLOCK_H_
