#pragma once
// What the host hands to body evaluation and layout: the family being drawn,
// the clock, the locale, the time zone and the display scale. Nothing in the
// view layer reads these from anywhere else, so tests can pin each.

#include <string>

#include "platform/host/date.hpp"
#include "platform/host/family.hpp"

namespace corvane {

struct Environment {
  WidgetFamily widgetFamily = WidgetFamily::systemSmall;
  Clock clock = wallClock();
  std::string locale = "en_US";  // ICU locale id
  std::string timeZone = "UTC";  // IANA time zone id
  double displayScale = 1;

  Date now() const { return clock(); }
};

}  // namespace corvane
