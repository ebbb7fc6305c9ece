#include "tools/file_definition.h"

#include "engine/wbtrv32.h"

namespace recmgr {
namespace {

void PutU16(std::string* out, uint16_t value) {
  out->push_back(static_cast<char>(value & 0xff));
  out->push_back(static_cast<char>(value >> 8));
}

uint16_t GetU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

size_t KeyDefinition::ValueLength() const {
  size_t length = 0;
  for (const KeySegment& segment : segments) length += segment.length;
  return length;
}

std::string EncodeCreateBuffer(const FileDefinition& definition) {
  std::string out;
  PutU16(&out, definition.min_record_length);
  PutU16(&out, definition.page_size);
  PutU16(&out, static_cast<uint16_t>(definition.keys.size()));
  PutU16(&out, 0);
  for (const KeyDefinition& key : definition.keys) {
    for (size_t i = 0; i < key.segments.size(); ++i) {
      const KeySegment& segment = key.segments[i];
      const bool last = i + 1 == key.segments.size();
      PutU16(&out, segment.offset);
      PutU16(&out, segment.length);
      out.push_back(static_cast<char>(segment.type));
      out.push_back(static_cast<char>(key.flags | (last ? 0 : kKeySegmented)));
      PutU16(&out, 0);
    }
  }
  return out;
}

bool DecodeStatBuffer(const unsigned char* buffer, uint32_t length, FileDefinition* definition,
                      uint32_t* record_count, std::string* error) {
  if (length < kStatHeaderSize) {
    *error = "the record manager returned " + std::to_string(length) +
             " bytes of statistics, fewer than their header";
    return false;
  }
  definition->min_record_length = GetU16(buffer);
  definition->page_size = GetU16(buffer + 2);
  const uint16_t key_count = GetU16(buffer + 4);
  *record_count = static_cast<uint32_t>(buffer[6] | buffer[7] << 8 | buffer[8] << 16) |
                  static_cast<uint32_t>(buffer[9]) << 24;
  const uint16_t segment_count = GetU16(buffer + 12);
  if (kStatHeaderSize + uint32_t{kSegmentDefSize} * segment_count > length) {
    *error = "the statistics name " + std::to_string(segment_count) +
             " key segments but do not hold them";
    return false;
  }
  definition->keys.clear();
  bool key_open = false;
  for (uint16_t i = 0; i < segment_count; ++i) {
    const unsigned char* p = buffer + kStatHeaderSize + kSegmentDefSize * i;
    if (!key_open) definition->keys.emplace_back();
    KeyDefinition& key = definition->keys.back();
    key.segments.push_back({GetU16(p), GetU16(p + 2), p[4]});
    key.flags = static_cast<uint8_t>(p[5] & ~kKeySegmented);
    key_open = (p[5] & kKeySegmented) != 0;
  }
  if (key_open || definition->keys.size() != key_count) {
    *error = "the statistics name " + std::to_string(key_count) + " keys but their " +
             std::to_string(segment_count) + " segments do not form them";
    return false;
  }
  return true;
}

}  // namespace recmgr
