// The command-line form of a key, as `recmgr create --key` takes it and
// `recmgr stat` shows it:
//
//   OFFSET:LENGTH:TYPE[+OFFSET:LENGTH:TYPE...][:FLAGS]
//
// One or more segments joined by '+'; OFFSET counts from 0; TYPE is string,
// signed, unsigned or binary (signed and unsigned are little-endian integers
// of 1, 2, 4 or 8 bytes); FLAGS, after the last segment, is a comma-separated
// list of dup (duplicates allowed), mod (modifiable) and nocase
// (case-insensitive). Example: 0:4:unsigned+4:20:string:dup,nocase
#ifndef REPOINT_TOOLS_KEY_SYNTAX_H_
#define REPOINT_TOOLS_KEY_SYNTAX_H_

#include <string>
#include <string_view>

#include "tools/file_definition.h"

namespace recmgr {

// The syntax above, for help texts.
extern const char kKeySpecHelp[];

// Parses `spec` into `*key`. On a fault returns false with a sentence naming
// it in `*error`; `*key` is then unspecified.
bool ParseKeySpec(std::string_view spec, KeyDefinition* key, std::string* error);

// Returns the form that ParseKeySpec reads back into the same definition
// (a type the utility does not know shows as "typeN").
std::string FormatKeySpec(const KeyDefinition& key);

}  // namespace recmgr

#endif  // REPOINT_TOOLS_KEY_SYNTAX_H_
