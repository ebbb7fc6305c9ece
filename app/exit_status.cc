#include "app/exit_status.h"

namespace repoint {

int ExitStatus(std::int32_t result) {
  constexpr std::int32_t kOutOfRange = 255;
  return result >= 0 && result <= 255 ? result : kOutOfRange;
}

}  // namespace repoint
