#include "platform/process/wall_timer.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <vector>

namespace corvane {
namespace {

using Clock = std::chrono::steady_clock;

// Fires when armed, not before, once per arming; a later arming replaces an
// earlier one; a disarmed timer stays quiet; waits no double can break.
TEST(WallTimer, FiresOnceAtTheTimeArmedAndNeverWhenDisarmed) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* name;
    std::vector<double> arms;  // armed one after another
    bool disarm;
    double earliest, latest;  // seconds from the last arming; latest < 0: never within a second
  };
  const Case cases[] = {
      {"a short wait", {0.15}, false, 0.15, 0.6},
      {"a long wait (the wall clock's timer)", {2.2}, false, 2.2, 2.7},
      {"a long wait made short", {2.5, 0.1}, false, 0.1, 0.6},
      {"nothing to wait", {0}, false, 0, 0.3},
      {"a wait already past", {-5}, false, 0, 0.3},
      {"a later arming replaces the first", {5, 0.1}, false, 0.1, 0.6},
      {"a sooner one is put off", {0.05, 0.3}, false, 0.3, 0.8},
      {"disarmed", {0.05}, true, 0, -1},
      {"NaN waits a day", {kNaN}, false, 0, -1},
  };
  for (const Case& c : cases) {
    int fired = 0;
    WallTimer timer([&](WallTimer::Why why) {
      EXPECT_EQ(why, WallTimer::Why::due) << c.name;
      ++fired;
    });
    for (double s : c.arms) timer.armIn(s);
    if (c.disarm) timer.disarm();
    const auto armed = Clock::now();
    const double wait = c.latest < 0 ? 1.0 : c.latest;
    auto firedAt = armed;
    while (Clock::now() - armed < std::chrono::duration<double>(wait)) {
      const int before = fired;
      g_main_context_iteration(nullptr, FALSE);
      if (fired > before) firedAt = Clock::now();
      g_usleep(1000);
    }
    const double at = std::chrono::duration<double>(firedAt - armed).count();
    EXPECT_EQ(fired, c.latest < 0 ? 0 : 1) << c.name;
    if (c.latest >= 0) {
      EXPECT_GE(at, c.earliest) << c.name;
    }
    EXPECT_EQ(timer.armed(), c.latest < 0 && !c.disarm) << c.name;
  }
}

}  // namespace
}  // namespace corvane
