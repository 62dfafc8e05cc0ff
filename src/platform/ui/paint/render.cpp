#include "platform/ui/paint/render.hpp"

#include <cairo-pdf.h>
#include <cairo-svg.h>

#include <cmath>
#include <stdexcept>

#include "platform/ui/paint/painter.hpp"
#include "platform/ui/paint/png_writer.hpp"
#include "platform/ui/shaping/pango_text.hpp"

namespace corvane {
namespace {

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

void check(cairo_status_t status, const char* what) {
  if (status != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error(std::string(what) + ": " + cairo_status_to_string(status));
}

}  // namespace

BoxTree layOut(const Node& root, const Environment& env, const WidgetCanvas& canvas, TextMeasurer& text) {
  BoxTree tree = buildBoxes(root, env);
  layoutWidget(tree, canvas, text, env.displayScale);
  return tree;
}

CairoSurfacePtr paintImage(const BoxTree& tree, const WidgetCanvas& canvas, double scale, const FontLibrary& fonts) {
  int w = static_cast<int>(std::lround(canvas.width * scale)), h = static_cast<int>(std::lround(canvas.height * scale));
  CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
  check(cairo_surface_status(surface.get()), "image surface");
  CairoPtr cr(cairo_create(surface.get()));
  cairo_scale(cr.get(), scale, scale);
  paintWidget(cr.get(), tree, canvas, fonts);
  check(cairo_status(cr.get()), "painting");
  cairo_surface_flush(surface.get());
  return surface;
}

std::string encodePng(cairo_surface_t* image) { return writePng(image); }

std::string paintVector(const BoxTree& tree, const WidgetCanvas& canvas, ImageFormat format, const FontLibrary& fonts) {
  std::string bytes;
  {
    CairoSurfacePtr surface(
        format == ImageFormat::svg
            ? cairo_svg_surface_create_for_stream(appendToString, &bytes, canvas.width, canvas.height)
            : cairo_pdf_surface_create_for_stream(appendToString, &bytes, canvas.width, canvas.height));
    check(cairo_surface_status(surface.get()), "vector surface");
    if (format == ImageFormat::svg) cairo_svg_surface_restrict_to_version(surface.get(), CAIRO_SVG_VERSION_1_1);
    CairoPtr cr(cairo_create(surface.get()));
    paintWidget(cr.get(), tree, canvas, fonts);
    check(cairo_status(cr.get()), "painting");
    cairo_surface_finish(surface.get());  // flushes the last bytes into `bytes`
  }
  return bytes;
}

std::string renderWidget(const Node& root, const Environment& env, const WidgetCanvas& canvas, ImageFormat format,
                         const FontLibrary& fonts) {
  PangoTextMeasurer text(fonts);
  return renderWidget(root, env, canvas, format, fonts, text);
}

std::string renderWidget(const Node& root, const Environment& env, const WidgetCanvas& canvas, ImageFormat format,
                         const FontLibrary& fonts, TextMeasurer& text) {
  BoxTree tree = layOut(root, env, canvas, text);
  if (format == ImageFormat::png) return encodePng(paintImage(tree, canvas, env.displayScale, fonts).get());
  return paintVector(tree, canvas, format, fonts);
}

}  // namespace corvane
