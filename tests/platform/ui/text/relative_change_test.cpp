// When a live relative time turns over, checked against its wording: the
// text is the same from one reading until the change, and differs at it.

#include <gtest/gtest.h>

#include "platform/ui/text/relative_change.hpp"
#include "platform/ui/text/time_format.hpp"

namespace corvane {
namespace {

TEST(RelativeChange, SecondsThenMinutesThenHours) {
  struct Case {
    double distance;  // now minus the date
    double next;      // the next change, as a distance
  };
  const std::vector<Case> cases = {
      {0, 1},
      {0.4, 1},
      {59.9, 60},
      {61, 62},  // "N sec", "1 min, 1 sec"
      {3599.5, 3600},
      {3600, 3660},
      {3661, 3720},
      {7199, 7200},  // "1 hr", "1 hr, 1 min"
      {86399, 86400},
      {86400, 90000},
      {90061, 93600},  // "1 day", "1 day, 1 hr"
      {-0.5, 1},
      {-1.5, -0.999},
      {-3600.5, -3599.999},  // a date ahead counts down
      {-3660, -3659.999},
  };
  const Date date{1'000'000};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.distance);
    EXPECT_NEAR(nextRelativeChange(date, date.addingTimeInterval(c.distance)).timeIntervalSince(date), c.next, 1e-6);
  }
}

// The computed change agrees with what formatRelative shows, across the
// unit boundaries, in both directions.
TEST(RelativeChange, AgreesWithTheWording) {
  const Date date{1'000'000};
  for (double distance : {-90061.0, -3661.0, -61.5, -2.2, 0.0, 0.7, 59.0, 3540.0, 3599.0, 86340.0, 90000.0}) {
    SCOPED_TRACE(distance);
    Date now = date.addingTimeInterval(distance);
    const std::string shown = formatRelative(date, now, "en_US");
    Date next = nextRelativeChange(date, now);
    ASSERT_GT(next, now);
    EXPECT_EQ(formatRelative(date, next.addingTimeInterval(-0.002), "en_US"), shown);
    EXPECT_NE(formatRelative(date, next, "en_US"), shown);
  }
}

}  // namespace
}  // namespace corvane
