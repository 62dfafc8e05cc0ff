#include "platform/ui/tree/text_content.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "platform/ui/text/text_case.hpp"
#include "platform/ui/text/time_format.hpp"
#include "platform/ui/tree/environment.hpp"

namespace corvane {
namespace {

TEST(TextContent, InterpolationsKeepKeyAndArgumentsAndReadAsPlainText) {
  struct Case {
    Interpolation interpolation;
    std::string key;
    std::string reads;
  };
  const std::vector<Case> cases = {
      {Interpolation().integer(1).literal(" repl").string("y"), "%lld repl%@", "1 reply"},
      {Interpolation().integer(-1).literal(" repl").string("ies"), "%lld repl%@", "-1 replies"},
      {Interpolation().literal("/").integer(40), "/%lld", "/40"},
      {Interpolation().integer(1234567), "%lld", "1234567"},
      {Interpolation().literal("100% ").string("%lld"), "100%% %@", "100% %lld"},
      {Interpolation().integer(2).literal(" more in the app"), "%lld more in the app", "2 more in the app"},
  };
  Environment env;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reads);
    TextContent t = c.interpolation.content();
    EXPECT_EQ(t.string, c.key);
    EXPECT_EQ(renderText(t, env), c.reads);
  }
}

TEST(TimeFormat, ShortTimeFollowsLocaleAndZone) {
  const Date at{1765208700};  // 2025-12-08 15:45 UTC
  EXPECT_EQ(formatShortTime(at, "en_US", "UTC"), "3:45\u202FPM");
  EXPECT_EQ(formatShortTime(at, "de_DE", "UTC"), "15:45");
  EXPECT_EQ(formatShortTime(at, "de_DE", "Europe/Berlin"), "16:45");
  EXPECT_EQ(formatShortTime(Date{0}, "en_GB", "UTC"), "00:00");
}

TEST(TimeFormat, RelativeShowsTheTwoLargestUnits) {
  struct Case {
    double seconds;
    std::string reads;
  };
  const std::vector<Case> cases = {
      {0, "0 sec"},          {59.9, "59 sec"},         {674, "11 min, 14 sec"},  {60, "1 min"},
      {7500, "2 hr, 5 min"}, {273600, "3 days, 4 hr"}, {-674, "11 min, 14 sec"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    EXPECT_EQ(formatRelative(Date{1000}, Date{1000 + c.seconds}, "en_US"), c.reads);
  }
}

// A snapshot's time may be any double; both texts stay defined and read as
// the distance from (or the time of day at) the calendar's nearest edge.
TEST(TimeFormat, TimesOutsideTheCalendarReadFromItsEdge) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  constexpr double denormal = std::numeric_limits<double>::denorm_min();
  struct Case {
    double date, now;
    std::string reads;
  };
  const std::vector<Case> cases = {
      {1e308, 1000, "2,128,265,843 days, 23 hr"},  // far future: counts down, positive
      {inf, 1000, "2,128,265,843 days, 23 hr"},
      {9.3e18, 1000, "2,128,265,843 days, 23 hr"},  // just past the 64-bit seconds
      {-1e308, 1000, "2,133,147,020 days"},
      {-inf, 1000, "2,133,147,020 days"},
      {-std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), "4,261,412,864 days"},
      {1e308, 1e308, "0 sec"},
      {nan, 1000, "16 min, 40 sec"},  // NaN is the epoch
      {denormal, 0, "0 sec"},
      {-denormal, 0, "0 sec"},
      {-0.0, 0, "0 sec"},
      {-0.0, 59.5, "59 sec"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.date << " at " << c.now);
    EXPECT_EQ(formatRelative(Date{c.date}, Date{c.now}, "en_US"), c.reads);
  }
  for (double date : {1e308, -1e308, inf, -inf, Date::kLatest, Date::kEarliest}) {
    SCOPED_TRACE(date);
    EXPECT_EQ(formatShortTime(Date{date}, "en_GB", "UTC"), "00:00");  // both edges are midnights
  }
  EXPECT_EQ(formatShortTime(Date{nan}, "en_GB", "UTC"), "00:00");
  EXPECT_EQ(formatShortTime(Date{-0.0}, "en_GB", "Europe/Berlin"), "01:00");
}

TEST(TextCase, UppercaseFollowsUnicodeRules) {
  EXPECT_EQ(applyTextCase("Today's plan", TextCase::uppercase, "en_US"), "TODAY'S PLAN");
  EXPECT_EQ(applyTextCase("straße", TextCase::uppercase, "de_DE"), "STRASSE");
  EXPECT_EQ(applyTextCase("istanbul", TextCase::uppercase, "tr_TR"), "\u0130STANBUL");
}

}  // namespace
}  // namespace corvane
