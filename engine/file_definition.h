// A file's definition: minimum record length, page size, flags and keys, as
// the Create buffer gives them and the Stat buffer returns them (layouts in
// wbtrv32.h).
#ifndef REPOINT_ENGINE_FILE_DEFINITION_H_
#define REPOINT_ENGINE_FILE_DEFINITION_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace wbtrv32 {

struct Segment {
  std::uint16_t offset = 0;
  std::uint16_t length = 0;
  std::uint8_t type = 0;
  std::uint8_t flags = 0;
};

struct Key {
  std::size_t first_segment = 0;  // index into FileDefinition::segments
  std::size_t segment_count = 0;
  std::uint8_t flags = 0;        // the key's flags, kKeySegmented cleared
  std::uint16_t length = 0;      // the sum of its segments' lengths
  std::uint32_t record_end = 0;  // the shortest record holding every segment
  bool integer_valued = false;   // stored as an INTEGER (see file_format.h)
};

struct FileDefinition {
  std::uint16_t min_record_length = 0;
  std::uint16_t page_size = 0;
  std::uint16_t file_flags = 0;
  std::vector<Segment> segments;
  std::vector<Key> keys;
  std::uint32_t record_min = 0;  // the shortest record accepted: minimum and keys
};

// Parses and validates a Create buffer of `length` bytes. Returns 0 and fills
// `definition`, or the status that Create gives for it.
std::uint16_t ParseCreateBuffer(const std::uint8_t* buffer, std::uint32_t length,
                                FileDefinition* definition);

// Rebuilds a definition from its stored parts (the meta row). Returns false
// when they are not a valid definition.
bool DefinitionFromStored(std::uint16_t min_record_length, std::uint16_t page_size,
                          std::uint16_t file_flags, const std::uint8_t* segments,
                          std::size_t segments_size, FileDefinition* definition);

// The segments in the Create layout, 8 bytes each.
std::vector<std::uint8_t> EncodeSegments(const FileDefinition& definition);

// The Stat buffer's size for this definition.
std::uint32_t StatSize(const FileDefinition& definition);

// Writes the Stat buffer (StatSize bytes) with `record_count`.
void WriteStat(const FileDefinition& definition, std::uint32_t record_count, std::uint8_t* out);

}  // namespace wbtrv32

#endif  // REPOINT_ENGINE_FILE_DEFINITION_H_
