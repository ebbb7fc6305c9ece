// A second process for the record manager's tests (engine_test_process):
//   write FILE        inserts records 0, 1, 2, ... and rewrites each at once,
//                     until it is killed (see WrittenRecord)
//   hold FILE MODE    opens FILE with MODE (0 or -2), prints "open STATUS",
//                     and holds it until its standard input ends
//   read FILE         opens FILE, reads every record, tries an Insert, and
//                     prints "records COUNT read STATUS insert STATUS"
//   interrupt FILE    begins a transaction on FILE through SQLite itself,
//                     with a one-page cache so that its writes reach the
//                     file, prints "interrupted" and waits to be killed:
//                     the file is left with a transaction to undo
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/test_records.h"
#include "engine/test_support.h"
#include "engine/wbtrv32.h"

namespace wbtrv32_test {
namespace {

int Write(const std::string& path) {
  Block block;
  if (block.Open(path) != kStatusSuccess) return 1;
  block.length = kStatBufferSize;
  if (block.Call(kOpStat, -1) != kStatusSuccess) return 1;
  std::uint32_t next = 0;
  std::memcpy(&next, block.data.data() + 6, 4);
  // Records 0 to next - 1 are there; finish the last one's rewrite if a kill
  // came between its Insert and its Update.
  if (next > 0 && block.GetEqual(Le32(next - 1), 0) == kStatusSuccess &&
      block.Record() == WrittenRecord(next - 1, false) &&
      block.Update(WrittenRecord(next - 1, true)) != kStatusSuccess) {
    return 1;
  }
  for (std::uint32_t id = next;; ++id) {
    if (block.Insert(WrittenRecord(id, false)) != kStatusSuccess) return 1;
    if (block.Update(WrittenRecord(id, true)) != kStatusSuccess) return 1;
  }
}

int Hold(const std::string& path, std::int8_t mode) {
  Block block;
  std::printf("open %u\n", block.Open(path, mode));
  std::fflush(stdout);
  char buffer[64];
  while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
  }
  return 0;
}

int Read(const std::string& path) {
  Block block;
  const std::uint16_t open = block.Open(path);
  std::uint32_t count = 0;
  std::uint16_t status = block.Get(kOpStepFirst);
  while (status == kStatusSuccess) {
    ++count;
    status = block.Get(kOpStepNext);
  }
  const std::uint16_t insert = block.Insert(WrittenRecord(1000000, false));
  std::printf("open %u records %u read %u insert %u\n", open, count, status, insert);
  return 0;
}

int Interrupt(const std::string& path) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return 1;
  if (sqlite3_exec(db,
                   "PRAGMA cache_size = 1; BEGIN; "
                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
                   "INSERT INTO records(pos, data) SELECT 1000000 + i, zeroblob(1000) FROM n",
                   nullptr, nullptr, nullptr) != SQLITE_OK) {
    return 1;
  }
  std::printf("interrupted\n");
  std::fflush(stdout);
  pause();
  return 0;
}

}  // namespace
}  // namespace wbtrv32_test

int main(int argc, char** argv) {
  using namespace wbtrv32_test;
  if (argc == 3 && std::strcmp(argv[1], "write") == 0) return Write(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "hold") == 0) {
    return Hold(argv[2], static_cast<std::int8_t>(std::atoi(argv[3])));
  }
  if (argc == 3 && std::strcmp(argv[1], "read") == 0) return Read(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "interrupt") == 0) return Interrupt(argv[2]);
  std::fprintf(stderr, "usage: engine_test_process write|hold|read|interrupt FILE [MODE]\n");
  return 2;
}
