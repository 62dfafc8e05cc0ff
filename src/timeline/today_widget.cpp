#include "timeline/today_widget.hpp"

namespace corvane {

TodayConfiguration TodayWidget::body() const {
  return TodayConfiguration(kKind, Provider(), TodayContent{})
      .configurationDisplayName(kDisplayName)
      .description(kDescription)
      .supportedFamilies({WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge});
}

}  // namespace corvane
