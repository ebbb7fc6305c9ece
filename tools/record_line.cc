#include "tools/record_line.h"

#include <algorithm>
#include <cctype>

#include "tools/escape.h"

namespace recmgr {

void AppendRecordLine(uint32_t position, std::string_view record, std::string* out) {
  out->append(std::to_string(position));
  out->push_back('\t');
  AppendEscaped(record, out);
  out->push_back('\n');
}

bool ParseRecordLine(std::string_view line, std::string* record, std::string* error) {
  const size_t tab = line.find('\t');
  if (tab != std::string_view::npos) {
    const std::string_view position = line.substr(0, tab);
    if (position.empty() || !std::all_of(position.begin(), position.end(),
                                         [](unsigned char c) { return std::isdigit(c); })) {
      *error = "the text before the first tab is not a position";
      return false;
    }
    line.remove_prefix(tab + 1);
  }
  return Unescape(line, record, error);
}

}  // namespace recmgr
