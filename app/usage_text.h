// The usage text, written when the command line asks for it.
#ifndef REPOINT_APP_USAGE_TEXT_H_
#define REPOINT_APP_USAGE_TEXT_H_

#include <cstdio>

namespace repoint {

void WriteUsageText(std::FILE* out);

}  // namespace repoint

#endif  // REPOINT_APP_USAGE_TEXT_H_
