#pragma once
// A point in time and the clock that reads it.

#include <compare>
#include <functional>

#include "support/wall_clock.hpp"

namespace corvane {

// A wall-clock instant as seconds since 1970-01-01 00:00 UTC, fraction kept.
struct Date {
  double sinceEpoch = 0;

  static Date now() { return Date{wallClockNow()}; }
  static Date timeIntervalSince1970(double seconds) { return Date{seconds}; }
  double timeIntervalSince(Date other) const { return sinceEpoch - other.sinceEpoch; }
  Date addingTimeInterval(double seconds) const { return Date{sinceEpoch + seconds}; }

  friend auto operator<=>(const Date&, const Date&) = default;
};

// Where "now" comes from: the wall clock in production, anything in tests.
using Clock = std::function<Date()>;

inline Clock wallClock() { return [] { return Date::now(); }; }
inline Clock fixedClock(Date at) { return [at] { return at; }; }

}  // namespace corvane
