#include "tools/file_definition.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/wbtrv32.h"

namespace recmgr {
namespace {

FileDefinition TwoKeyDefinition() {
  FileDefinition definition;
  definition.min_record_length = 28;
  definition.page_size = 2048;
  definition.keys.push_back(
      {kKeyDuplicates | kKeyCaseInsensitive, {{4, 24, kKeyTypeString}, {0, 4, kKeyTypeUnsigned}}});
  definition.keys.push_back({0, {{0, 4, kKeyTypeUnsigned}}});
  return definition;
}

// The Stat buffer that a file made from `create` would give: the same
// segments after a 16-byte header.
std::string StatBufferFor(const std::string& create, uint32_t records) {
  std::string stat = create.substr(0, 6);
  for (int shift = 0; shift < 32; shift += 8) stat.push_back(static_cast<char>(records >> shift));
  const uint16_t segments = static_cast<uint16_t>((create.size() - kFileDefHeaderSize) / 8);
  stat += std::string(2, '\0');
  stat.push_back(static_cast<char>(segments & 0xff));
  stat.push_back(static_cast<char>(segments >> 8));
  stat += std::string(2, '\0');
  return stat + create.substr(kFileDefHeaderSize);
}

TEST(FileDefinitionTest, CreateBufferFollowsTheLayout) {
  const std::string buffer = EncodeCreateBuffer(TwoKeyDefinition());
  ASSERT_EQ(buffer.size(), 8u + 3 * 8u);
  EXPECT_EQ(buffer.substr(0, 8), std::string("\x1c\x00\x00\x08\x02\x00\x00\x00", 8));
  // Key 0's first segment carries the segmented flag, its last does not.
  EXPECT_EQ(buffer.substr(8, 8), std::string("\x04\x00\x18\x00\x00\x0d\x00\x00", 8));
  EXPECT_EQ(buffer.substr(16, 8), std::string("\x00\x00\x04\x00\x02\x05\x00\x00", 8));
  EXPECT_EQ(buffer.substr(24, 8), std::string("\x00\x00\x04\x00\x02\x00\x00\x00", 8));
}

TEST(FileDefinitionTest, StatBufferDecodesToTheCreatedDefinition) {
  const FileDefinition original = TwoKeyDefinition();
  const std::string stat = StatBufferFor(EncodeCreateBuffer(original), 0x01020304);
  FileDefinition decoded;
  uint32_t records = 0;
  std::string error;
  ASSERT_TRUE(DecodeStatBuffer(reinterpret_cast<const unsigned char*>(stat.data()),
                               static_cast<uint32_t>(stat.size()), &decoded, &records, &error))
      << error;
  EXPECT_EQ(records, 0x01020304u);
  EXPECT_EQ(EncodeCreateBuffer(decoded), EncodeCreateBuffer(original));
}

TEST(FileDefinitionTest, IncoherentStatBuffersAreRefused) {
  const std::string good = StatBufferFor(EncodeCreateBuffer(TwoKeyDefinition()), 5);
  std::string wrong_key_count = good;
  wrong_key_count[4] = 3;
  std::string open_last_key = good;
  open_last_key[good.size() - 3] |= kKeySegmented;
  const std::string cases[] = {good.substr(0, 10), good.substr(0, good.size() - 1), wrong_key_count,
                               open_last_key};
  for (const std::string& stat : cases) {
    FileDefinition decoded;
    uint32_t records = 0;
    std::string error;
    EXPECT_FALSE(DecodeStatBuffer(reinterpret_cast<const unsigned char*>(stat.data()),
                                  static_cast<uint32_t>(stat.size()), &decoded, &records, &error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace recmgr
