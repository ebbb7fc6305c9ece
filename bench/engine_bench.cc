// The record manager's cost per operation on a file of 1,000,000 records,
// through the call entry as a caller sees it.
//
// The file is built once (by Inserts) under $WBTRV32_BENCH_DIR, /tmp by
// default, and reused by later runs; Update and Insert change copies of it.
// A record: bytes 0-3 a pointer-like unsigned key (key 1: duplicates,
// modifiable, as a memo file's), bytes 4-7 a unique id (key 0), then text.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/wbtrv32.h"

namespace {

constexpr std::uint32_t kRecords = 1'000'000;
constexpr std::uint32_t kBufferSize = kMaxRecordLength;

std::string BenchDir() {
  const char* dir = std::getenv("WBTRV32_BENCH_DIR");
  return dir != nullptr ? dir : "/tmp";
}

std::string FilePath(const char* name) { return BenchDir() + "/" + name; }

class OpenFile {
 public:
  explicit OpenFile(const std::string& path) {
    std::snprintf(name_, sizeof name_, "%s", path.c_str());
    std::uint32_t length = 0;
    const std::uint16_t status = BTRCALL(kOpOpen, block_, nullptr, &length, name_, 255, 0);
    if (status != kStatusSuccess) {
      std::fprintf(stderr, "cannot open %s: status %u\n", name_, status);
      std::exit(1);
    }
  }
  ~OpenFile() {
    std::uint32_t length = 0;
    BTRCALL(kOpClose, block_, nullptr, &length, nullptr, 0, 0);
  }
  std::uint16_t Call(std::uint16_t operation, void* data, std::uint32_t* length,
                     std::int8_t key_number = 0) {
    return BTRCALL(operation, block_, data, length, key_, 255, key_number);
  }
  std::uint8_t* key() { return key_; }

 private:
  std::uint8_t block_[kPositionBlockSize] = {};
  std::uint8_t key_[256] = {};
  char name_[256];
};

std::uint32_t MakeRecord(std::uint32_t id, std::mt19937& random, std::uint8_t* out) {
  const std::uint32_t pointer = 4096 + 8 * static_cast<std::uint32_t>(random() % 5'000'000);
  std::memcpy(out, &pointer, 4);
  std::memcpy(out + 4, &id, 4);
  const std::uint32_t length = 40 + random() % 120;
  for (std::uint32_t i = 8; i < length; ++i) out[i] = static_cast<std::uint8_t>('a' + i % 26);
  return length;
}

void CreateFile(const std::string& path) {
  std::uint8_t definition[8 + 16] = {};
  definition[0] = 8;      // minimum record length
  definition[4] = 2;      // keys
  definition[8 + 0] = 4;  // key 0: id, unsigned 4 bytes at 4
  definition[8 + 2] = 4;
  definition[8 + 4] = kKeyTypeUnsigned;
  definition[16 + 2] = 4;  // key 1: pointer, unsigned 4 bytes at 0
  definition[16 + 4] = kKeyTypeUnsigned;
  definition[16 + 5] = kKeyDuplicates | kKeyModifiable;
  char name[256];
  std::snprintf(name, sizeof name, "%s", path.c_str());
  std::uint8_t block[kPositionBlockSize] = {};
  std::uint32_t length = sizeof definition;
  const std::uint16_t status = BTRCALL(kOpCreate, block, definition, &length, name, 255, 0);
  if (status != kStatusSuccess) {
    std::fprintf(stderr, "cannot create %s: status %u\n", name, status);
    std::exit(1);
  }
}

// The shared file of kRecords records, built on first use.
const std::string& SharedFile() {
  static const std::string path = [] {
    const std::string file = FilePath("wbtrv32_bench_1m.dat");
    struct stat info;
    if (stat(file.c_str(), &info) == 0) return file;
    const std::string building = file + ".building";
    unlink(building.c_str());
    CreateFile(building);
    {
      OpenFile open(building);
      std::mt19937 random(1);
      std::vector<std::uint8_t> record(kBufferSize);
      for (std::uint32_t id = 0; id < kRecords; ++id) {
        std::uint32_t length = MakeRecord(id, random, record.data());
        if (open.Call(kOpInsert, record.data(), &length) != kStatusSuccess) std::exit(1);
      }
    }
    rename(building.c_str(), file.c_str());
    return file;
  }();
  return path;
}

// A private copy of the shared file, for benchmarks that write.
std::string CopyOfSharedFile(const char* name) {
  const std::string copy = FilePath(name);
  const std::string command = "cp '" + SharedFile() + "' '" + copy + "'";
  if (std::system(command.c_str()) != 0) std::exit(1);
  return copy;
}

std::vector<std::uint32_t> AllPositions(OpenFile& file) {
  std::vector<std::uint32_t> positions;
  std::vector<std::uint8_t> record(kBufferSize);
  std::uint32_t length = kBufferSize;
  for (std::uint16_t status = file.Call(kOpStepFirst, record.data(), &length);
       status == kStatusSuccess; status = file.Call(kOpStepNext, record.data(), &length)) {
    std::uint32_t position = 0;
    std::uint32_t position_length = 4;
    file.Call(kOpGetPosition, &position, &position_length);
    positions.push_back(position);
    length = kBufferSize;
  }
  return positions;
}

void Check(benchmark::State& state, std::uint16_t status) {
  if (status != kStatusSuccess) state.SkipWithError(("status " + std::to_string(status)).c_str());
}

void BM_StepNext(benchmark::State& state) {
  OpenFile file(SharedFile());
  std::vector<std::uint8_t> record(kBufferSize);
  std::uint32_t length = kBufferSize;
  file.Call(kOpStepFirst, record.data(), &length);
  for (auto _ : state) {
    length = kBufferSize;
    std::uint16_t status = file.Call(kOpStepNext, record.data(), &length);
    if (status == kStatusEndOfFile) {
      length = kBufferSize;
      status = file.Call(kOpStepFirst, record.data(), &length);
    }
    Check(state, status);
  }
}
BENCHMARK(BM_StepNext);

void BM_GetDirect(benchmark::State& state) {
  OpenFile file(SharedFile());
  const std::vector<std::uint32_t> positions = AllPositions(file);
  std::vector<std::uint8_t> record(kBufferSize);
  std::mt19937 random(2);
  for (auto _ : state) {
    std::memcpy(record.data(), &positions[random() % positions.size()], 4);
    std::uint32_t length = kBufferSize;
    Check(state, file.Call(kOpGetDirect, record.data(), &length, 0));
  }
}
BENCHMARK(BM_GetDirect);

void BM_GetEqual(benchmark::State& state) {
  OpenFile file(SharedFile());
  std::vector<std::uint8_t> record(kBufferSize);
  std::mt19937 random(3);
  for (auto _ : state) {
    const std::uint32_t id = random() % kRecords;
    std::memcpy(file.key(), &id, 4);
    std::uint32_t length = kBufferSize;
    Check(state, file.Call(kOpGetEqual, record.data(), &length, 0));
  }
}
BENCHMARK(BM_GetEqual);

void BM_GetPosition(benchmark::State& state) {
  OpenFile file(SharedFile());
  std::vector<std::uint8_t> record(kBufferSize);
  std::uint32_t length = kBufferSize;
  file.Call(kOpStepFirst, record.data(), &length);
  for (auto _ : state) {
    std::uint32_t position = 0;
    length = 4;
    Check(state, file.Call(kOpGetPosition, &position, &length));
  }
}
BENCHMARK(BM_GetPosition);

// Step Next and an Update of the record's pointer key: the memo walk of a
// repair. The Update's own cost is this less BM_StepNext.
void BM_StepNextAndUpdate(benchmark::State& state) {
  const std::string copy = CopyOfSharedFile("wbtrv32_bench_update.dat");
  {
    OpenFile file(copy);
    std::vector<std::uint8_t> record(kBufferSize);
    std::uint32_t length = kBufferSize;
    file.Call(kOpStepFirst, record.data(), &length);
    std::mt19937 random(4);
    for (auto _ : state) {
      const std::uint32_t pointer = 4096 + 8 * static_cast<std::uint32_t>(random() % 5'000'000);
      std::memcpy(record.data(), &pointer, 4);
      Check(state, file.Call(kOpUpdate, record.data(), &length));
      length = kBufferSize;
      std::uint16_t status = file.Call(kOpStepNext, record.data(), &length);
      if (status == kStatusEndOfFile) {
        length = kBufferSize;
        status = file.Call(kOpStepFirst, record.data(), &length);
      }
      Check(state, status);
    }
  }
  unlink(copy.c_str());
}
BENCHMARK(BM_StepNextAndUpdate);

void BM_Insert(benchmark::State& state) {
  const std::string copy = CopyOfSharedFile("wbtrv32_bench_insert.dat");
  {
    OpenFile file(copy);
    std::vector<std::uint8_t> record(kBufferSize);
    std::mt19937 random(5);
    std::uint32_t id = kRecords;
    for (auto _ : state) {
      std::uint32_t length = MakeRecord(id++, random, record.data());
      Check(state, file.Call(kOpInsert, record.data(), &length));
    }
  }
  unlink(copy.c_str());
}
BENCHMARK(BM_Insert);

}  // namespace

BENCHMARK_MAIN();
