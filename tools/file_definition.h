// A file's definitions as the utility handles them: minimum record length,
// page size and keys, with their translation to the record manager's Create
// buffer and from its Stat buffer (layouts in engine/wbtrv32.h).
#ifndef REPOINT_TOOLS_FILE_DEFINITION_H_
#define REPOINT_TOOLS_FILE_DEFINITION_H_

#include <cstdint>
#include <string>
#include <vector>

namespace recmgr {

struct KeySegment {
  uint16_t offset = 0;  // in the record, from 0
  uint16_t length = 0;
  uint8_t type = 0;  // kKeyType...
};

struct KeyDefinition {
  uint8_t flags = 0;  // kKeyDuplicates, kKeyModifiable, kKeyCaseInsensitive
  std::vector<KeySegment> segments;

  // The length of the key's value: the sum of its segments' lengths.
  size_t ValueLength() const;
};

struct FileDefinition {
  uint16_t min_record_length = 0;
  uint16_t page_size = 4096;
  std::vector<KeyDefinition> keys;
};

// Returns the Create buffer for `definition`; its size is the data length to
// pass. The segmented flag is set here, on every segment but a key's last.
std::string EncodeCreateBuffer(const FileDefinition& definition);

// Reads definitions and record count from the first `length` bytes of a Stat
// buffer. Returns false with a sentence in `*error` when the bytes do not
// describe a coherent set of keys.
bool DecodeStatBuffer(const unsigned char* buffer, uint32_t length, FileDefinition* definition,
                      uint32_t* record_count, std::string* error);

}  // namespace recmgr

#endif  // REPOINT_TOOLS_FILE_DEFINITION_H_
