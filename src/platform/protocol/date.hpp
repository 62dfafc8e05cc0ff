#pragma once
// A point in time and the clock that reads it.

#include <cmath>
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

  // The nearest instant a calendar can name. A snapshot may hold any double
  // as its time; the Gregorian calendar of the locale data reaches about 5.8
  // million years either side of 1970, so earlier or later times (infinities
  // included) are taken as that edge, and NaN as the epoch. Every difference
  // of two such instants is finite and far inside the 64-bit integers.
  static constexpr double kEarliest = -184303902528000.0;  // seconds
  static constexpr double kLatest = 183882168921600.0;
  Date inCalendarRange() const {
    if (std::isnan(sinceEpoch)) return Date{0};
    return Date{sinceEpoch < kEarliest ? kEarliest : sinceEpoch > kLatest ? kLatest : sinceEpoch};
  }

  // clang-tidy 14 sees the literal 0 of the synthesised comparison as a null pointer.
  // NOLINTNEXTLINE(modernize-use-nullptr)
  friend auto operator<=>(const Date&, const Date&) = default;
};

// Where "now" comes from: the wall clock in production, anything in tests.
using Clock = std::function<Date()>;

inline Clock wallClock() {
  return [] { return Date::now(); };
}
inline Clock fixedClock(Date at) {
  return [at] { return at; };
}

}  // namespace corvane
