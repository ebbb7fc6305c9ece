// Unbuffered standard streams, the same on every platform: the progress
// field on standard error must land behind text that standard output left
// without a line end.
#include <cstdio>

#include "platform/console.h"

namespace repoint {

void MakeStandardStreamsWriteThrough() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::setvbuf(stderr, nullptr, _IONBF, 0);
}

}  // namespace repoint
