#include "platform/ui/tree/text_content.hpp"

#include <gtest/gtest.h>
#include <unicode/measfmt.h>
#include <unicode/measunit.h>
#include <unicode/measure.h>

#include <limits>
#include <memory>

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

// The relative text is ICU's short MeasureFormat of the shown units, in
// every locale ICU has data for, whatever their numbers, plurals, list
// patterns and digits.
TEST(TimeFormat, RelativeReadsAsMeasureFormatInEveryLocale) {
  struct Case {
    double seconds;
    std::vector<std::pair<std::int64_t, icu::MeasureUnit>> units;
  };
  const icu::MeasureUnit day = icu::MeasureUnit::getDay(), hour = icu::MeasureUnit::getHour(),
                         minute = icu::MeasureUnit::getMinute(), second = icu::MeasureUnit::getSecond();
  const std::vector<Case> cases = {
      {0, {{0, second}}},
      {1, {{1, second}}},
      {2, {{2, second}}},
      {11, {{11, second}}},
      {59, {{59, second}}},
      {60, {{1, minute}}},
      {61, {{1, minute}, {1, second}}},
      {674, {{11, minute}, {14, second}}},
      {3540 + 22, {{59, minute}, {22, second}}},
      {3600, {{1, hour}}},
      {3600 + 120, {{1, hour}, {2, minute}}},
      {86400 + 7200, {{1, day}, {2, hour}}},
      {86400 * 5.0, {{5, day}}},
      {86400 * 1234.0 + 3 * 3600, {{1234, day}, {3, hour}}},
      {86400 * 1000000.0 + 3600, {{1000000, day}, {1, hour}}},
  };
  int32_t count = 0;
  const icu::Locale* locales = icu::Locale::getAvailableLocales(count);
  ASSERT_GT(count, 100);
  for (int32_t l = 0; l < count; ++l) {
    const std::string id = locales[l].getName();
    UErrorCode status = U_ZERO_ERROR;
    icu::MeasureFormat reference(locales[l], UMEASFMT_WIDTH_SHORT, status);
    ASSERT_TRUE(U_SUCCESS(status)) << id;
    for (const Case& c : cases) {
      std::vector<icu::Measure> measures;
      for (const auto& [n, unit] : c.units)
        measures.emplace_back(icu::Formattable(static_cast<int64_t>(n)), unit.clone(), status);
      icu::UnicodeString expected;
      icu::FieldPosition pos;
      reference.formatMeasures(measures.data(), static_cast<int32_t>(measures.size()), expected, pos, status);
      ASSERT_TRUE(U_SUCCESS(status)) << id;
      std::string want;
      expected.toUTF8String(want);
      EXPECT_EQ(formatRelative(Date{1000}, Date{1000 + c.seconds}, id), want) << id << " " << c.seconds;
    }
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
