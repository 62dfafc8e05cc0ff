#pragma once
// What the host hands to body evaluation and layout: the family being drawn,
// the clock, the locale, the time zone and the display scale. Nothing in the
// view layer reads these from anywhere else, so tests can pin each.

#include <string>

#include "platform/protocol/date.hpp"
#include "platform/protocol/family.hpp"

namespace corvane {

struct Environment {
  WidgetFamily widgetFamily = WidgetFamily::systemSmall;
  Clock clock = wallClock();
  std::string locale = "en_US";  // ICU locale id
  std::string timeZone = "UTC";  // IANA time zone id
  double displayScale = 1;
  // A placeholder's look: texts are drawn as rounded bars of their colour,
  // in the frames they would take, so nothing made up reads as data.
  bool redacted = false;

  Date now() const { return clock(); }
};

}  // namespace corvane
