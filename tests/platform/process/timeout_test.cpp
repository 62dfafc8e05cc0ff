#include "platform/process/timeout.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace corvane {
namespace {

// Any double may reach a timer (a reload date far off, a clock almost
// stopped, NaN from a pinned time): the delay stays a whole, bounded number.
TEST(Timeout, EveryWaitBecomesABoundedWholeNumberOfMilliseconds) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  struct Case {
    double seconds, most;
    guint ms;
  };
  const Case cases[] = {
      {0.25, 1, 250},       {0.0001, 1, 1},  {0, 1, 0},         {-3, 1, 0},
      {-kInf, 1, 0},        {kNaN, 1, 1000}, {kInf, 1, 1000},   {1e300, 1, 1000},
      {6e7, 1e9, 86400000}, {5, kNaN, 0},    {1.0005, 2, 1001},
  };
  for (const Case& c : cases) EXPECT_EQ(timeoutMilliseconds(c.seconds, c.most), c.ms) << c.seconds << " " << c.most;
}

}  // namespace
}  // namespace corvane
