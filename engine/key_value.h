// A key's value in its two forms: raw (its segments' bytes concatenated, as a
// caller passes it in the key buffer) and stored (the form of the kN column,
// whose SQLite order is the key's order; see file_format.h).
#ifndef REPOINT_ENGINE_KEY_VALUE_H_
#define REPOINT_ENGINE_KEY_VALUE_H_

#include <sqlite3.h>

#include <cstdint>

#include "engine/file_definition.h"
#include "engine/wbtrv32.h"

namespace wbtrv32 {

// A stored key value: an INTEGER or a BLOB of `size` bytes.
struct StoredKey {
  bool is_integer = false;
  std::int64_t integer = 0;
  std::uint16_t size = 0;
  std::uint8_t bytes[kMaxKeyLength];
};

// The stored value of `key` in `record`, which holds at least key.record_end
// bytes.
void StoredKeyFromRecord(const FileDefinition& definition, const Key& key,
                         const std::uint8_t* record, StoredKey* out);

// The stored value of the raw value `raw` (key.length bytes).
void StoredKeyFromRaw(const FileDefinition& definition, const Key& key, const std::uint8_t* raw,
                      StoredKey* out);

// Copies the raw value of `key` in `record` to `out` (key.length bytes).
void CopyRawKey(const FileDefinition& definition, const Key& key, const std::uint8_t* record,
                std::uint8_t* out);

bool SameStoredKey(const StoredKey& a, const StoredKey& b);

// Binds `value` to parameter `index` of `statement` (no copy: `value` must
// outlive the statement's next step). Returns SQLite's result code.
int BindStoredKey(sqlite3_stmt* statement, int index, const StoredKey& value);

}  // namespace wbtrv32

#endif  // REPOINT_ENGINE_KEY_VALUE_H_
