#include "engine/key_value.h"

#include <cstring>

namespace wbtrv32 {
namespace {

std::int64_t IntegerValue(const Segment& segment, const std::uint8_t* in) {
  std::uint64_t value = 0;
  for (int i = segment.length - 1; i >= 0; --i) value = (value << 8) | in[i];
  if (segment.type == kKeyTypeSigned && segment.length < 8) {
    const std::uint64_t sign = std::uint64_t{1} << (8 * segment.length - 1);
    value = (value ^ sign) - sign;  // sign extension
  }
  return static_cast<std::int64_t>(value);
}

void StoreSegment(const Segment& segment, const std::uint8_t* in, std::uint8_t* out) {
  switch (segment.type) {
    case kKeyTypeUnsigned:
    case kKeyTypeSigned:
      for (int i = 0; i < segment.length; ++i) out[i] = in[segment.length - 1 - i];
      if (segment.type == kKeyTypeSigned) out[0] ^= 0x80;
      break;
    case kKeyTypeString:
      if ((segment.flags & kKeyCaseInsensitive) != 0) {
        for (int i = 0; i < segment.length; ++i) {
          const std::uint8_t c = in[i];
          out[i] = (c >= 'a' && c <= 'z') ? static_cast<std::uint8_t>(c - 'a' + 'A') : c;
        }
        break;
      }
      [[fallthrough]];
    default:
      std::memcpy(out, in, segment.length);
  }
}

// `source(i, segment)` gives where segment i of the key starts.
template <typename Source>
void StoreKey(const FileDefinition& definition, const Key& key, Source source, StoredKey* out) {
  const Segment* segments = definition.segments.data() + key.first_segment;
  if (key.integer_valued) {
    out->is_integer = true;
    out->integer = IntegerValue(segments[0], source(0, segments[0]));
    out->size = 0;
    return;
  }
  out->is_integer = false;
  std::uint16_t at = 0;
  for (std::size_t i = 0; i < key.segment_count; ++i) {
    StoreSegment(segments[i], source(i, segments[i]), out->bytes + at);
    at += segments[i].length;
  }
  out->size = at;
}

}  // namespace

void StoredKeyFromRecord(const FileDefinition& definition, const Key& key,
                         const std::uint8_t* record, StoredKey* out) {
  StoreKey(
      definition, key, [record](std::size_t, const Segment& s) { return record + s.offset; }, out);
}

void StoredKeyFromRaw(const FileDefinition& definition, const Key& key, const std::uint8_t* raw,
                      StoredKey* out) {
  std::size_t at = 0;
  StoreKey(
      definition, key,
      [raw, &at](std::size_t, const Segment& s) {
        const std::uint8_t* here = raw + at;
        at += s.length;
        return here;
      },
      out);
}

void CopyRawKey(const FileDefinition& definition, const Key& key, const std::uint8_t* record,
                std::uint8_t* out) {
  const Segment* segments = definition.segments.data() + key.first_segment;
  for (std::size_t i = 0; i < key.segment_count; ++i) {
    std::memcpy(out, record + segments[i].offset, segments[i].length);
    out += segments[i].length;
  }
}

bool SameStoredKey(const StoredKey& a, const StoredKey& b) {
  if (a.is_integer != b.is_integer) return false;
  if (a.is_integer) return a.integer == b.integer;
  return a.size == b.size && std::memcmp(a.bytes, b.bytes, a.size) == 0;
}

int BindStoredKey(sqlite3_stmt* statement, int index, const StoredKey& value) {
  if (value.is_integer) return sqlite3_bind_int64(statement, index, value.integer);
  return sqlite3_bind_blob(statement, index, value.bytes, value.size, SQLITE_STATIC);
}

}  // namespace wbtrv32
