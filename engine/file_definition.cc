#include "engine/file_definition.h"

#include <algorithm>

#include "engine/byte_order.h"
#include "engine/wbtrv32.h"

namespace wbtrv32 {
namespace {

constexpr std::uint8_t kKnownKeyFlags =
    kKeyDuplicates | kKeyModifiable | kKeyCaseInsensitive | kKeySegmented;

bool IsIntegerType(std::uint8_t type) { return type == kKeyTypeSigned || type == kKeyTypeUnsigned; }

std::uint16_t ParseSegment(const std::uint8_t* in, Segment* segment) {
  segment->offset = LoadLe16(in);
  segment->length = LoadLe16(in + 2);
  segment->type = in[4];
  segment->flags = in[5];
  if (segment->length == 0 || segment->type > kKeyTypeBinary ||
      (segment->flags & ~kKnownKeyFlags) != 0) {
    return kStatusInvalidKeyLength;
  }
  if (IsIntegerType(segment->type) && segment->length != 1 && segment->length != 2 &&
      segment->length != 4 && segment->length != 8) {
    return kStatusInvalidKeyLength;
  }
  if (std::uint32_t{segment->offset} + segment->length > kMaxRecordLength) {
    return kStatusInvalidKeyPosition;
  }
  return kStatusSuccess;
}

// The INTEGER form holds every value of a single signed segment and of a
// single unsigned one up to 4 bytes; an 8-byte unsigned value may not fit.
bool IsIntegerValued(const Segment& only) {
  return (only.type == kKeyTypeSigned) || (only.type == kKeyTypeUnsigned && only.length < 8);
}

}  // namespace

std::uint16_t ParseCreateBuffer(const std::uint8_t* buffer, std::uint32_t length,
                                FileDefinition* definition) {
  if (buffer == nullptr || length < kFileDefHeaderSize) return kStatusDataBufferTooShort;
  FileDefinition parsed;
  parsed.min_record_length = LoadLe16(buffer);
  parsed.page_size = LoadLe16(buffer + 2);
  const std::uint16_t key_count = LoadLe16(buffer + 4);
  parsed.file_flags = LoadLe16(buffer + 6);
  if (parsed.page_size == 0) parsed.page_size = 4096;
  if (parsed.page_size < 512 || parsed.page_size > 4096 || parsed.page_size % 512 != 0) {
    return kStatusInvalidPageSize;
  }
  if (parsed.min_record_length > kMaxRecordLength) return kStatusInvalidRecordLength;
  if (key_count > kMaxKeys) return kStatusInvalidKeyCount;
  parsed.record_min = parsed.min_record_length;

  std::uint32_t at = kFileDefHeaderSize;
  for (std::uint16_t k = 0; k < key_count; ++k) {
    Key key;
    key.first_segment = parsed.segments.size();
    for (;;) {
      if (parsed.segments.size() == kMaxSegments) return kStatusInvalidKeyCount;
      if (length - at < kSegmentDefSize) return kStatusDataBufferTooShort;
      Segment segment;
      const std::uint16_t status = ParseSegment(buffer + at, &segment);
      if (status != kStatusSuccess) return status;
      at += kSegmentDefSize;
      const std::uint8_t flags = segment.flags & ~kKeySegmented;
      if (key.segment_count == 0) {
        key.flags = flags;
      } else if (flags != key.flags) {
        return kStatusInvalidKeyLength;
      }
      ++key.segment_count;
      key.length += segment.length;
      key.record_end = std::max<std::uint32_t>(key.record_end, segment.offset + segment.length);
      parsed.segments.push_back(segment);
      if ((segment.flags & kKeySegmented) == 0) break;
    }
    if (key.length > kMaxKeyLength) return kStatusInvalidKeyLength;
    key.integer_valued =
        key.segment_count == 1 && IsIntegerValued(parsed.segments[key.first_segment]);
    parsed.record_min = std::max(parsed.record_min, key.record_end);
    parsed.keys.push_back(key);
  }
  *definition = std::move(parsed);
  return kStatusSuccess;
}

bool DefinitionFromStored(std::uint16_t min_record_length, std::uint16_t page_size,
                          std::uint16_t file_flags, const std::uint8_t* segments,
                          std::size_t segments_size, FileDefinition* definition) {
  if (segments_size % kSegmentDefSize != 0 || segments_size / kSegmentDefSize > kMaxSegments) {
    return false;
  }
  std::vector<std::uint8_t> buffer(kFileDefHeaderSize + segments_size);
  std::uint16_t key_count = 0;
  for (std::size_t at = 0; at < segments_size; at += kSegmentDefSize) {
    if ((segments[at + 5] & kKeySegmented) == 0) ++key_count;
  }
  StoreLe16(buffer.data(), min_record_length);
  StoreLe16(buffer.data() + 2, page_size);
  StoreLe16(buffer.data() + 4, key_count);
  StoreLe16(buffer.data() + 6, file_flags);
  std::copy(segments, segments + segments_size, buffer.begin() + kFileDefHeaderSize);
  FileDefinition parsed;
  if (ParseCreateBuffer(buffer.data(), static_cast<std::uint32_t>(buffer.size()), &parsed) !=
          kStatusSuccess ||
      parsed.segments.size() * kSegmentDefSize != segments_size || parsed.page_size != page_size) {
    return false;
  }
  *definition = std::move(parsed);
  return true;
}

std::vector<std::uint8_t> EncodeSegments(const FileDefinition& definition) {
  std::vector<std::uint8_t> out(definition.segments.size() * kSegmentDefSize);
  std::uint8_t* at = out.data();
  for (const Segment& segment : definition.segments) {
    StoreLe16(at, segment.offset);
    StoreLe16(at + 2, segment.length);
    at[4] = segment.type;
    at[5] = segment.flags;
    at += kSegmentDefSize;
  }
  return out;
}

std::uint32_t StatSize(const FileDefinition& definition) {
  return kStatHeaderSize + kSegmentDefSize * static_cast<std::uint32_t>(definition.segments.size());
}

void WriteStat(const FileDefinition& definition, std::uint32_t record_count, std::uint8_t* out) {
  std::fill(out, out + kStatHeaderSize, std::uint8_t{0});
  StoreLe16(out, definition.min_record_length);
  StoreLe16(out + 2, definition.page_size);
  StoreLe16(out + 4, static_cast<std::uint16_t>(definition.keys.size()));
  StoreLe32(out + 6, record_count);
  StoreLe16(out + 10, definition.file_flags);
  StoreLe16(out + 12, static_cast<std::uint16_t>(definition.segments.size()));
  const std::vector<std::uint8_t> segments = EncodeSegments(definition);
  std::copy(segments.begin(), segments.end(), out + kStatHeaderSize);
}

}  // namespace wbtrv32
