#include "widget/today_widget.hpp"

namespace corvane {

// NOLINTNEXTLINE(readability-convert-member-functions-to-static): the host asks an instance
TodayConfiguration TodayWidget::body() const {
  return TodayConfiguration(kKind, Provider(), TodayContent{})
      .configurationDisplayName(kDisplayName)
      .description(kDescription)
      .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge});
}

}  // namespace corvane
