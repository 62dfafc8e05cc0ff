#pragma once
// What the stand-in host draws each family on: its size in points, the
// default content margins, and the radius of the rounded corners.

#include "platform/protocol/family.hpp"

namespace corvane {

struct WidgetCanvas {
  double width = 0, height = 0;  // points
  double margin = 16;            // on every edge
  double cornerRadius = 22;
};

WidgetCanvas canvasFor(WidgetFamily family);

}  // namespace corvane
