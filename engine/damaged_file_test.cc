// Damaged files and files of others: a status (2 or 30), never a crash or a
// hang, whatever is asked of them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "engine/test_support.h"
#include "engine/wbtrv32.h"

namespace wbtrv32_test {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A sound file of a few dozen pages: two keys, 2,000 records.
std::string MakeSoundFile(const ScratchDir& dir) {
  const std::string path = dir.File("sound.dat");
  EXPECT_EQ(CreateFile(path, Definition(12, {{{0, 4, kKeyTypeUnsigned}},
                                             {{4, 8, kKeyTypeString, kKeyDuplicates}}})),
            kStatusSuccess);
  Block block;
  EXPECT_EQ(block.Open(path), kStatusSuccess);
  for (std::uint32_t id = 0; id < 2000; ++id) {
    EXPECT_EQ(block.Insert(RecordOf(Le32(id) + "name" + std::to_string(id % 97), 40 + id % 60)),
              kStatusSuccess);
  }
  return path;
}

// Everything a caller might ask of an open file; every status must be one
// that a sound or damaged file may give.
void ExerciseEverything(Block& block) {
  const auto expect_known = [](std::uint16_t status, const char* what) {
    EXPECT_TRUE(status == kStatusSuccess || status == kStatusIoError ||
                status == kStatusEndOfFile || status == kStatusKeyNotFound ||
                status == kStatusInvalidPosition || status == kStatusNoCurrentRecord)
        << what << " gave " << status;
  };
  for (std::uint16_t status = block.Get(kOpStepFirst); status == kStatusSuccess;
       status = block.Get(kOpStepNext)) {
    expect_known(status, "step");
  }
  for (std::int8_t key = 0; key < 2; ++key) {
    std::uint16_t status = block.Get(kOpGetFirst, key);
    for (int i = 0; status == kStatusSuccess && i < 5000; ++i) status = block.Get(kOpGetNext, key);
    expect_known(status, "get next");
  }
  expect_known(block.GetEqual(Le32(1500), 0), "get equal");
  expect_known(block.GetDirect(4096 + 48 * 1000), "get direct");  // among the records
  block.length = kStatBufferSize;
  expect_known(block.Call(kOpStat, -1), "stat");
  expect_known(block.Insert(RecordOf(Le32(99999) + "new", 30)), "insert");
}

struct Damage {
  const char* name;
  std::function<std::string(const std::string& sound)> make;
};

// The database's page size, from its header.
std::size_t PageSize(const std::string& file) {
  const std::size_t size =
      static_cast<unsigned char>(file[16]) << 8 | static_cast<unsigned char>(file[17]);
  return size == 1 ? 65536 : size;
}

std::string Flipped(std::string bytes, std::initializer_list<std::size_t> offsets) {
  for (std::size_t offset : offsets) bytes[offset % bytes.size()] ^= 0x5A;
  return bytes;
}

class DamagedFileTest : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedFileTest, GivesAStatusNeverACrash) {
  ScratchDir dir;
  const std::string sound = ReadAll(MakeSoundFile(dir));
  ASSERT_GE(sound.size(), 8 * PageSize(sound));
  const std::string path = dir.File("damaged.dat");
  WriteAll(path, GetParam().make(sound));

  Block block;
  const std::uint16_t open = block.Open(path);
  EXPECT_TRUE(open == kStatusSuccess || open == kStatusIoError ||
              open == kStatusNotARecordManagerFile)
      << "open gave " << open;
  if (open == kStatusSuccess) {
    ExerciseEverything(block);
    block.Close();
  }
  char report[256] = {};
  const std::uint16_t check = wbtrv32_check_file(path.c_str(), report, sizeof report);
  EXPECT_TRUE(check == kStatusIoError || check == kStatusNotARecordManagerFile)
      << "check gave " << check << ": " << report;
  EXPECT_NE(report[0], '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedFileTest,
    ::testing::Values(
        Damage{"empty", [](const std::string&) { return std::string(); }},
        Damage{"zeros", [](const std::string& s) { return std::string(s.size(), '\0'); }},
        Damage{"text", [](const std::string&) { return std::string(5000, 'x') + "\n"; }},
        Damage{"header_only", [](const std::string& s) { return s.substr(0, 100); }},
        Damage{"first_page", [](const std::string& s) { return s.substr(0, PageSize(s)); }},
        Damage{"half", [](const std::string& s) { return s.substr(0, s.size() / 2); }},
        Damage{"last_page_cut",
               [](const std::string& s) { return s.substr(0, s.size() - PageSize(s)); }},
        Damage{"flipped_header",
               [](const std::string& s) {
                 return Flipped(s, {16, 28, 40});
               }},
        Damage{"flipped_schema",  // inside the text that defines the records table
               [](const std::string& s) {
                 const std::size_t at = s.find("CREATE TABLE records(");
                 return Flipped(s, {at + 19, at + 25});
               }},
        Damage{"flipped_pages",
               [](const std::string& s) {
                 const std::size_t page = PageSize(s);
                 return Flipped(s, {page + 8, 3 * page + 100, 5 * page + 2000, s.size() / 2 + 17,
                                    s.size() - 1000});
               }},
        Damage{"zeroed_pages",
               [](const std::string& s) {
                 std::string damaged = s;
                 const std::size_t page = PageSize(s);
                 std::fill(damaged.begin() + 2 * page, damaged.begin() + 4 * page, '\0');
                 return damaged;
               }}),
    [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

TEST(ForeignFile, APlainSqliteDatabaseIsNotOurs) {
  ScratchDir dir;
  const std::string path = dir.File("plain.db");
  ASSERT_EQ(RunSql(path, "CREATE TABLE records(pos INTEGER PRIMARY KEY, data BLOB)"), 0);
  Block block;
  EXPECT_EQ(block.Open(path), kStatusNotARecordManagerFile);
  char report[256] = {};
  EXPECT_EQ(wbtrv32_check_file(path.c_str(), report, sizeof report), kStatusNotARecordManagerFile);
}

}  // namespace
}  // namespace wbtrv32_test
