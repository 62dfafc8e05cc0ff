#include "platform/ui/tree/text_content.hpp"

#include <gtest/gtest.h>

#include "platform/ui/tree/environment.hpp"
#include "platform/ui/text/text_case.hpp"
#include "platform/ui/text/time_format.hpp"

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
      {0, "0 sec"},          {59.9, "59 sec"},          {674, "11 min, 14 sec"}, {60, "1 min"},
      {7500, "2 hr, 5 min"}, {273600, "3 days, 4 hr"}, {-674, "11 min, 14 sec"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    EXPECT_EQ(formatRelative(Date{1000}, Date{1000 + c.seconds}, "en_US"), c.reads);
  }
}

TEST(TextCase, UppercaseFollowsUnicodeRules) {
  EXPECT_EQ(applyTextCase("Today's plan", TextCase::uppercase, "en_US"), "TODAY'S PLAN");
  EXPECT_EQ(applyTextCase("straße", TextCase::uppercase, "de_DE"), "STRASSE");
  EXPECT_EQ(applyTextCase("istanbul", TextCase::uppercase, "tr_TR"), "\u0130STANBUL");
}

}  // namespace
}  // namespace corvane
