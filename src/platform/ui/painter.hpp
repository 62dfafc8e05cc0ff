#pragma once
// Draws a laid-out box tree with Cairo: the container background clipped to
// the widget's rounded corners, then every box in tree order.

#include <cairo.h>

#include "platform/ui/fonts.hpp"
#include "platform/ui/layout_box.hpp"

namespace corvane {

struct PaintGeometry {
  Size size;                 // the widget, in points
  double cornerRadius = 22;  // transparent outside the rounded rectangle
};

// Paints onto `cr`, whose user space is in points (scale it for 2x and 3x).
void paintWidget(cairo_t* cr, const BoxTree& tree, const PaintGeometry& geometry, const FontLibrary& fonts);

}  // namespace corvane
