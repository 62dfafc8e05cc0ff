#pragma once
// Draws a laid-out box tree with Cairo: the container background clipped to
// the widget's rounded corners, then every box in tree order.

#include <cairo.h>

#include "platform/protocol/canvas.hpp"
#include "platform/ui/layout/layout_box.hpp"
#include "platform/ui/shaping/fonts.hpp"
#include "platform/ui/shaping/pango_text.hpp"

namespace corvane {

// Paints onto `cr`, whose user space is in points (scale it for 2x and 3x);
// outside the canvas's rounded corners stays transparent. A text is drawn
// from the layout its box was measured on, when the measurer shaped one
// with `fonts`.
void paintWidget(cairo_t* cr, const BoxTree& tree, const WidgetCanvas& canvas, const FontLibrary& fonts);

}  // namespace corvane
