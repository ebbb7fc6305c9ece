// The records that engine_test_process writes and the kill loop checks.
#ifndef REPOINT_ENGINE_TEST_RECORDS_H_
#define REPOINT_ENGINE_TEST_RECORDS_H_

#include <cstdint>
#include <string>

#include "engine/test_support.h"
#include "engine/wbtrv32.h"

namespace wbtrv32_test {

// Key 0: the record's number, bytes 0-3, unique.
inline std::vector<std::uint8_t> WrittenDefinition() {
  return Definition(5, {{{0, 4, kKeyTypeUnsigned}}});
}

// Record `id` as inserted (rewritten = false) and as rewritten: its length
// and every byte follow from the two, so a torn record cannot pass.
inline std::string WrittenRecord(std::uint32_t id, bool rewritten) {
  const std::size_t length = 5 + (id * 7919u) % 400 + (rewritten ? 3 : 0);
  std::string record = Le32(id) + (rewritten ? "B" : "A");
  for (std::size_t i = record.size(); i < length; ++i) {
    record.push_back(static_cast<char>((id + i * (rewritten ? 5 : 3)) & 0xFF));
  }
  return record;
}

}  // namespace wbtrv32_test

#endif  // REPOINT_ENGINE_TEST_RECORDS_H_
