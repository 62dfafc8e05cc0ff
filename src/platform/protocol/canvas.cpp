#include "platform/protocol/canvas.hpp"

namespace corvane {

WidgetCanvas canvasFor(WidgetFamily family) {
  switch (family) {
    case WidgetFamily::systemSmall: return {170, 170, 16, 22};
    case WidgetFamily::systemMedium: return {364, 170, 16, 22};
    case WidgetFamily::systemLarge: return {364, 382, 16, 22};
    case WidgetFamily::systemExtraLarge: return {715, 382, 16, 22};
    // Accessory families are small and unpadded; the widget does not offer them.
    case WidgetFamily::accessoryCircular: return {76, 76, 0, 38};
    case WidgetFamily::accessoryRectangular: return {172, 76, 0, 8};
    case WidgetFamily::accessoryInline: return {257, 26, 0, 0};
  }
  return {};
}

}  // namespace corvane
