#pragma once
// From a view tree to pixels or vectors: layout, painting and encoding as
// separate steps (so each can be measured), and one call for all three.

#include <string>

#include "platform/protocol/canvas.hpp"
#include "platform/ui/layout/layout.hpp"
#include "platform/ui/shaping/fonts.hpp"
#include "platform/ui/shaping/gobject_ptr.hpp"
#include "platform/ui/shaping/pango_text.hpp"

namespace corvane {

enum class ImageFormat { png, svg, pdf };

// Builds the boxes of `root` and lays them out on `canvas`.
BoxTree layOut(const Node& root, const Environment& env, const WidgetCanvas& canvas, TextMeasurer& text);

// Paints a laid-out tree into a new ARGB image of the canvas at `scale`.
CairoSurfacePtr paintImage(const BoxTree& tree, const WidgetCanvas& canvas, double scale, const FontLibrary& fonts);

// The PNG bytes of an image surface.
std::string encodePng(cairo_surface_t* image);

// The SVG or PDF bytes of a laid-out tree, in points.
std::string paintVector(const BoxTree& tree, const WidgetCanvas& canvas, ImageFormat format, const FontLibrary& fonts);

// All of it: the encoded widget in `format`.
std::string renderWidget(const Node& root, const Environment& env, const WidgetCanvas& canvas, ImageFormat format,
                         const FontLibrary& fonts);
// The same, measuring with `text` (whose answers may be kept between calls).
std::string renderWidget(const Node& root, const Environment& env, const WidgetCanvas& canvas, ImageFormat format,
                         const FontLibrary& fonts, TextMeasurer& text);

}  // namespace corvane
