#include "platform/ui/paint/painter.hpp"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/ui/paint/symbols.hpp"
#include "platform/ui/shaping/pango_text.hpp"

namespace corvane {
namespace {

void setColor(cairo_t* cr, const Color& c) { cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.opacity); }

constexpr double kPi = std::numbers::pi;

void roundedRect(cairo_t* cr, double w, double h, double r) {
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, w - r, r, r, -kPi / 2, 0);
  cairo_arc(cr, w - r, h - r, r, 0, kPi / 2);
  cairo_arc(cr, r, h - r, r, kPi / 2, kPi);
  cairo_arc(cr, r, r, r, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

void fillRect(cairo_t* cr, const Rect& r, const Color& c) {
  setColor(cr, c);
  cairo_rectangle(cr, r.x, r.y, r.width, r.height);
  cairo_fill(cr);
}

void paintSymbol(cairo_t* cr, const Box& b) {
  auto outline = symbolOutline(b.symbol);
  if (!outline) return;
  // The glyph is square, as tall as the font size, centred in its frame.
  double side = std::min(b.frame.width, b.frame.height);
  double x0 = b.frame.x + (b.frame.width - side) / 2, y0 = b.frame.y + (b.frame.height - side) / 2;
  setColor(cr, b.color);
  for (const auto& polygon : *outline) {
    for (std::size_t i = 0; i < polygon.size(); ++i) {
      double x = x0 + polygon[i].x * side, y = y0 + polygon[i].y * side;
      if (i == 0)
        cairo_move_to(cr, x, y);
      else
        cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
  }
  cairo_fill(cr);
}

// Glyphs are drawn with hinting and antialiasing, which may reach a little
// past the ink rectangle Pango reports; a text is skipped only when even
// this much around its ink is outside the clip.
constexpr double kInkSlack = 2;

struct Painting {
  const FontLibrary& fonts;
  double canvasHeight;
  Rect clip;  // what the clip lets through, in user space
  bool redacted;
};

// How much of a line's height a redacted text's bar takes, centred on it.
constexpr double kBarShare = 0.6;

// A redacted text: one rounded bar per line, as wide as the line's text
// and in its colour, so the layout reads as it will without any data.
void paintBars(cairo_t* cr, PangoLayout* layout, double x, double y, const Color& color) {
  setColor(cr, color);
  PangoLayoutIterPtr iter(pango_layout_get_iter(layout));
  do {
    PangoRectangle line;
    pango_layout_iter_get_line_extents(iter.get(), nullptr, &line);
    const double w = line.width / double(PANGO_SCALE), h = line.height / double(PANGO_SCALE);
    if (w <= 0 || h <= 0) continue;
    const double barHeight = h * kBarShare;
    cairo_save(cr);
    cairo_translate(cr, x + line.x / double(PANGO_SCALE), y + line.y / double(PANGO_SCALE) + (h - barHeight) / 2);
    roundedRect(cr, w, barHeight, barHeight / 2);
    cairo_restore(cr);
    cairo_fill(cr);
  } while (pango_layout_iter_next_line(iter.get()));
}

bool meets(const Rect& a, const Rect& b) {
  return a.x < b.maxX() && b.x < a.maxX() && a.y < b.maxY() && b.y < a.maxY();
}

void paintText(cairo_t* cr, const Box& b, const Painting& with) {
  // The layout that was measured, when the measurer shaped one with these
  // fonts: nothing is shaped twice (painting with another thread's fonts
  // shapes anew, as Pango's objects are not shared between threads).
  // Otherwise lines below the canvas's bottom are never seen:
  // the text is cut to those above it, and one more, which are the measured
  // ones, so what is drawn is what was measured wherever it can be seen.
  GObjectPtr<PangoLayout> made;
  PangoLayout* layout = b.shaped && b.shaped->fonts == &with.fonts ? b.shaped->layout.get() : nullptr;
  if (!layout) {
    made = makeTextLayout(with.fonts, b.text, b.font, b.layoutWidth, b.layoutLines,
                          std::max(0.0, with.canvasHeight - b.frame.y));
    layout = made.get();
  }
  // A right-to-left paragraph sits at the right of the layout's width; its
  // logical rectangle says where, so the text is drawn in its own frame.
  PangoRectangle ink, logical;
  pango_layout_get_extents(layout, &ink, &logical);
  const double x = b.frame.x - logical.x / double(PANGO_SCALE), y = b.frame.y;
  // A repaint clipped to a changed line leaves the other texts' pixels as
  // they are: rendering their glyphs would only be clipped away.
  const Rect inked{x + ink.x / double(PANGO_SCALE) - kInkSlack, y + ink.y / double(PANGO_SCALE) - kInkSlack,
                   ink.width / double(PANGO_SCALE) + 2 * kInkSlack, ink.height / double(PANGO_SCALE) + 2 * kInkSlack};
  if (!meets(inked, with.clip)) return;
  if (with.redacted) {
    paintBars(cr, layout, x, y, b.color);
    return;
  }
  setColor(cr, b.color);
  cairo_move_to(cr, x, y);
  pango_cairo_show_layout(cr, layout);
}

void paintBox(cairo_t* cr, const Box& b, const Painting& with) {
  switch (b.kind) {
    case BoxKind::text: paintText(cr, b, with); break;
    case BoxKind::symbol: paintSymbol(cr, b); break;
    case BoxKind::circle:
      setColor(cr, b.color);
      cairo_new_sub_path(cr);
      cairo_arc(cr, b.frame.x + b.frame.width / 2, b.frame.y + b.frame.height / 2,
                std::min(b.frame.width, b.frame.height) / 2, 0, 2 * kPi);
      cairo_fill(cr);
      break;
    case BoxKind::divider: fillRect(cr, b.frame, b.color); break;
    default: break;
  }
  for (const Box& c : b.placedChildren()) paintBox(cr, c, with);
  if (b.kind == BoxKind::overlay) fillRect(cr, b.frame, b.color);  // drawn over the content
}

}  // namespace

void paintWidget(cairo_t* cr, const BoxTree& tree, const WidgetCanvas& canvas, const FontLibrary& fonts) {
  cairo_save(cr);
  roundedRect(cr, canvas.width, canvas.height, canvas.cornerRadius);
  cairo_clip(cr);
  if (tree.background) {
    setColor(cr, *tree.background);
    cairo_paint(cr);
  }
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
  paintBox(cr, tree.root, Painting{fonts, canvas.height, {x0, y0, x1 - x0, y1 - y0}, tree.redacted});
  cairo_restore(cr);
}

}  // namespace corvane
