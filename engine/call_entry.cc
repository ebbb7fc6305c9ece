// The library's exported entry points.
#include <cstdlib>

#include "engine/engine.h"
#include "engine/wbtrv32.h"

namespace {

wbtrv32::Engine& TheEngine() {
  // Never destroyed: the exit handler below may still need it.
  static wbtrv32::Engine* engine = [] {
    auto* created = new wbtrv32::Engine;
    std::atexit([] { TheEngine().ReleaseAll(); });
    return created;
  }();
  return *engine;
}

}  // namespace

extern "C" uint16_t BTRCALL(uint16_t operation, void* position_block, void* data_buffer,
                            uint32_t* data_length, void* key_buffer, uint8_t key_length,
                            int8_t key_number) {
  return TheEngine().Call(
      {operation, position_block, data_buffer, data_length, key_buffer, key_length, key_number});
}
