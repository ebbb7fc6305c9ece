// The utility's one-line text form of a record or key value.
//
// Printable ASCII other than the backslash stands for itself; the backslash,
// tab and newline are written as "\\", "\t" and "\n", and every other byte as
// "\xHH" (two lowercase hex digits). The text therefore never holds a raw tab
// or newline, so a record fits on one line and a tab can separate fields.
#ifndef REPOINT_TOOLS_ESCAPE_H_
#define REPOINT_TOOLS_ESCAPE_H_

#include <string>
#include <string_view>

namespace recmgr {

// Appends the text form of `bytes` to `*out`.
void AppendEscaped(std::string_view bytes, std::string* out);

// Returns the text form of `bytes`.
std::string Escape(std::string_view bytes);

// Decodes `text` into `*bytes` (replacing what it held). Accepts upper- and
// lowercase hex digits. On a raw byte that should have been escaped or on a
// malformed escape returns false, leaves a sentence naming the fault and its
// column (from 1) in `*error`, and leaves `*bytes` unspecified.
bool Unescape(std::string_view text, std::string* bytes, std::string* error);

}  // namespace recmgr

#endif  // REPOINT_TOOLS_ESCAPE_H_
