#pragma once
// The application's icon, as a view: the header's paper plane in the brand
// colour on the widget's background, on a square with corners rounded as
// the small widget's are. A host or a build step draws it like the widget.

#include "platform/protocol/canvas.hpp"
#include "platform/ui/tree/node.hpp"

namespace corvane {

struct AppIcon {
  static constexpr std::string_view name = "AppIcon";
  static constexpr double kSide = 64;            // points
  static constexpr double kSymbolShare = 0.625;  // of the side: the plane's height

  Node body(const Environment& env) const;  // NOLINT(readability-convert-member-functions-to-static)
};

// The square the icon is drawn on: kSide points, no margins, and the small
// widget's corner radius in proportion to its width.
WidgetCanvas appIconCanvas();

}  // namespace corvane
