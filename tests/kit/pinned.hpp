#pragma once
// A drawing environment with everything pinned (clock, locale, time zone,
// scale), and one font library shared by a test program.

#include "platform/ui/shaping/fonts.hpp"
#include "platform/ui/tree/environment.hpp"

namespace corvane::testing {

// 2025-12-08 15:45:00 UTC: the time the sample is written in tests.
inline constexpr double kSampleTime = 1765208700;

inline Environment pinnedEnvironment(WidgetFamily family, double now = kSampleTime, double scale = 1) {
  Environment env;
  env.widgetFamily = family;
  env.clock = fixedClock(Date{now});
  env.locale = "en_US";
  env.timeZone = "UTC";
  env.displayScale = scale;
  return env;
}

inline FontLibrary& sharedFonts() {
  static FontLibrary library;
  return library;
}

}  // namespace corvane::testing
