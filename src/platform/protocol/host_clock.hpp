#pragma once
// The host's clock: the wall clock, or one that starts at a chosen time and
// runs a number of times faster (for demonstrations and tests). It follows
// the wall clock's own jumps (suspend, resume, the clock being set), scaled
// like the rest, so the host sees them as it would at normal speed.

#include <functional>

#include "platform/protocol/date.hpp"

namespace corvane {

class HostClock {
 public:
  // The wall clock itself.
  HostClock() = default;
  // Starts at `start` now and runs `speed` times faster than the wall clock;
  // `wall` reads the wall clock in seconds since 1970 (a fake in tests).
  HostClock(Date start, double speed, std::function<double()> wall = wallClockNow)
      : wall_(std::move(wall)), start_(start), speed_(speed), wallAtStart_(wall_()) {}

  Date now() const { return Date{start_.sinceEpoch + (wall_() - wallAtStart_) * speed_}; }
  // How long the wall clock takes for `hostSeconds` of this clock.
  double wallSeconds(double hostSeconds) const { return hostSeconds / speed_; }
  double speed() const { return speed_; }
  Clock asClock() const {
    return [*this] { return now(); };
  }

 private:
  std::function<double()> wall_ = wallClockNow;
  Date start_{wall_()};
  double speed_ = 1;
  double wallAtStart_ = start_.sinceEpoch;
};

}  // namespace corvane
