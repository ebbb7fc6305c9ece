#include "tests/scripted/in_process_entry.h"

#include "btrieve/call_entry.h"

namespace repoint::scripted {
namespace {

ScriptedRecordManager* installed = nullptr;

}  // namespace

void InstallRecordManager(ScriptedRecordManager* manager) { installed = manager; }

}  // namespace repoint::scripted

extern "C" std::uint16_t REPOINT_RECORD_MANAGER_API BTRCALL(
    std::uint16_t operation, void* position_block, void* data_buffer, std::uint32_t* data_length,
    void* key_buffer, std::uint8_t key_length, std::int8_t key_number) {
  constexpr std::uint16_t kManagerNotLoaded = 20;
  if (repoint::scripted::installed == nullptr) return kManagerNotLoaded;
  return repoint::scripted::installed->Call(operation, position_block, data_buffer, data_length,
                                            key_buffer, key_length, key_number);
}
