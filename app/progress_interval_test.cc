#include "app/progress_interval.h"

#include <gtest/gtest.h>

namespace repoint {
namespace {

TEST(ProgressIntervalTest, ATenthUpTo100000RecordsAHundredthAboveAndNoneWithoutReporting) {
  const struct {
    std::uint32_t count;
    bool reporting;
    std::int32_t interval;
  } cases[] = {{0, true, 0},
               {9, true, 0},
               {10, true, 1},
               {1234, true, 123},
               {2000, true, 200},
               {100000, true, 10000},
               {100001, true, 1000},
               {2147483647, true, 21474836},
               {2147483648u, true, 21474836},
               {4294967295u, true, 42949672},
               {5000, false, 0},
               {4294967295u, false, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(ProgressInterval(c.count, c.reporting), c.interval) << c.count;
  }
}

}  // namespace
}  // namespace repoint
