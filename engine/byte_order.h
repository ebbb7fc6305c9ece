// Little-endian loads and stores on unaligned bytes.
#ifndef REPOINT_ENGINE_BYTE_ORDER_H_
#define REPOINT_ENGINE_BYTE_ORDER_H_

#include <cstdint>

namespace wbtrv32 {

inline std::uint16_t LoadLe16(const std::uint8_t* in) {
  return static_cast<std::uint16_t>(in[0] | (in[1] << 8));
}

inline std::uint32_t LoadLe32(const std::uint8_t* in) {
  return std::uint32_t{in[0]} | (std::uint32_t{in[1]} << 8) | (std::uint32_t{in[2]} << 16) |
         (std::uint32_t{in[3]} << 24);
}

inline void StoreLe16(std::uint8_t* out, std::uint16_t value) {
  out[0] = static_cast<std::uint8_t>(value);
  out[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void StoreLe32(std::uint8_t* out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace wbtrv32

#endif  // REPOINT_ENGINE_BYTE_ORDER_H_
