#include "app/exit_status.h"

#include <gtest/gtest.h>

namespace repoint {
namespace {

TEST(ExitStatusTest, ResultsThatFitEightBitsExitAsThemselvesAndAllOthersAs255) {
  const struct {
    std::int32_t result;
    int exit_status;
  } cases[] = {{0, 0},     {1, 1},      {9, 9},       {54, 54},     {254, 254},
               {255, 255}, {256, 255},  {512, 255},   {32767, 255}, {-1, 255},
               {-2, 255},  {-256, 255}, {-32768, 255}};
  for (const auto& c : cases) EXPECT_EQ(ExitStatus(c.result), c.exit_status) << c.result;
}

}  // namespace
}  // namespace repoint
