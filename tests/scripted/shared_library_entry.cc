// libwbtrv32.so in the engine's place: the model is built at the first
// request from the script file named by REPOINT_SCRIPT.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "btrieve/call_entry.h"
#include "tests/scripted/scripted_record_manager.h"

namespace {

repoint::scripted::ScriptedRecordManager& Manager() {
  static const std::unique_ptr<repoint::scripted::ScriptedRecordManager> manager = [] {
    const char* path = std::getenv("REPOINT_SCRIPT");
    std::ifstream file(path == nullptr ? "" : path);
    if (!file) {
      std::fprintf(stderr, "scripted record manager: cannot read REPOINT_SCRIPT\n");
      std::abort();
    }
    std::ostringstream script;
    script << file.rdbuf();
    std::string error;
    auto model = std::make_unique<repoint::scripted::ScriptedRecordManager>(script.str(), &error);
    if (!error.empty()) {
      std::fprintf(stderr, "scripted record manager: %s\n", error.c_str());
      std::abort();
    }
    return model;
  }();
  return *manager;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) std::uint16_t BTRCALL(
    std::uint16_t operation, void* position_block, void* data_buffer, std::uint32_t* data_length,
    void* key_buffer, std::uint8_t key_length, std::int8_t key_number) {
  return Manager().Call(operation, position_block, data_buffer, data_length, key_buffer, key_length,
                        key_number);
}
