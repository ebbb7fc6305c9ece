#include "tools/key_syntax.h"

#include <charconv>
#include <vector>

#include "engine/wbtrv32.h"

namespace recmgr {

const char kKeySpecHelp[] =
    "OFFSET:LENGTH:TYPE[+OFFSET:LENGTH:TYPE...][:FLAGS]\n"
    "  segments joined by '+', OFFSET from 0;\n"
    "  TYPE: string, signed, unsigned or binary (integers: 1, 2, 4 or 8 bytes, little-endian);\n"
    "  FLAGS after the last segment, comma-separated: dup (duplicates allowed),\n"
    "  mod (modifiable), nocase (case-insensitive).\n"
    "  Example: --key 0:4:unsigned --key 4:20:string+0:4:unsigned:dup,nocase";

namespace {

struct NamedValue {
  std::string_view name;
  uint8_t value;
};

constexpr NamedValue kTypes[] = {
    {"string", kKeyTypeString},
    {"signed", kKeyTypeSigned},
    {"unsigned", kKeyTypeUnsigned},
    {"binary", kKeyTypeBinary},
};

constexpr NamedValue kFlags[] = {
    {"dup", kKeyDuplicates},
    {"mod", kKeyModifiable},
    {"nocase", kKeyCaseInsensitive},
};

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t end; (end = text.find(separator, start)) != std::string_view::npos; start = end + 1) {
    parts.push_back(text.substr(start, end - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

bool ParseNumber(std::string_view text, std::string_view what, uint16_t* value,
                 std::string* error) {
  unsigned long number = 0;
  const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || fault != std::errc() || end != text.data() + text.size() ||
      number > kMaxRecordLength) {
    *error = std::string(what) + " \"" + std::string(text) + "\" is not a number from 0 to " +
             std::to_string(kMaxRecordLength);
    return false;
  }
  *value = static_cast<uint16_t>(number);
  return true;
}

bool ParseSegment(const std::vector<std::string_view>& fields, KeySegment* segment,
                  std::string* error) {
  if (!ParseNumber(fields[0], "offset", &segment->offset, error) ||
      !ParseNumber(fields[1], "length", &segment->length, error)) {
    return false;
  }
  if (segment->length == 0) {
    *error = "a segment's length must be at least 1";
    return false;
  }
  if (segment->offset + segment->length > kMaxRecordLength) {
    *error = "a segment must end within " + std::to_string(kMaxRecordLength) + " bytes";
    return false;
  }
  const NamedValue* type = nullptr;
  for (const NamedValue& candidate : kTypes) {
    if (candidate.name == fields[2]) type = &candidate;
  }
  if (type == nullptr) {
    *error =
        "unknown type \"" + std::string(fields[2]) + "\" (known: string, signed, unsigned, binary)";
    return false;
  }
  segment->type = type->value;
  const uint16_t length = segment->length;
  if ((segment->type == kKeyTypeSigned || segment->type == kKeyTypeUnsigned) && length != 1 &&
      length != 2 && length != 4 && length != 8) {
    *error = "an integer segment is 1, 2, 4 or 8 bytes long, not " + std::to_string(length);
    return false;
  }
  return true;
}

bool ParseFlags(std::string_view text, uint8_t* flags, std::string* error) {
  for (std::string_view name : Split(text, ',')) {
    const NamedValue* flag = nullptr;
    for (const NamedValue& candidate : kFlags) {
      if (candidate.name == name) flag = &candidate;
    }
    if (flag == nullptr) {
      *error = "unknown flag \"" + std::string(name) + "\" (known: dup, mod, nocase)";
      return false;
    }
    *flags |= flag->value;
  }
  return true;
}

}  // namespace

bool ParseKeySpec(std::string_view spec, KeyDefinition* key, std::string* error) {
  key->flags = 0;
  key->segments.clear();
  const std::vector<std::string_view> parts = Split(spec, '+');
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::vector<std::string_view> fields = Split(parts[i], ':');
    const bool last = i + 1 == parts.size();
    if (fields.size() != 3 && !(last && fields.size() == 4)) {
      *error = "segment \"" + std::string(parts[i]) + "\" is not OFFSET:LENGTH:TYPE" +
               (last ? "[:FLAGS]" : " (flags go after the last segment)");
      return false;
    }
    KeySegment segment;
    if (!ParseSegment(fields, &segment, error)) return false;
    key->segments.push_back(segment);
    if (fields.size() == 4 && !ParseFlags(fields[3], &key->flags, error)) return false;
  }
  if (key->ValueLength() > kMaxKeyLength) {
    *error = "the key is " + std::to_string(key->ValueLength()) + " bytes long; at most " +
             std::to_string(kMaxKeyLength) + " are allowed";
    return false;
  }
  return true;
}

std::string FormatKeySpec(const KeyDefinition& key) {
  std::string out;
  for (const KeySegment& segment : key.segments) {
    if (!out.empty()) out += '+';
    out += std::to_string(segment.offset) + ':' + std::to_string(segment.length) + ':';
    std::string type_name = "type" + std::to_string(segment.type);
    for (const NamedValue& type : kTypes) {
      if (type.value == segment.type) type_name = type.name;
    }
    out += type_name;
  }
  std::string flags;
  for (const NamedValue& flag : kFlags) {
    if ((key.flags & flag.value) == 0) continue;
    if (!flags.empty()) flags += ',';
    flags += flag.name;
  }
  if (!flags.empty()) out += ':' + flags;
  return out;
}

}  // namespace recmgr
