#pragma once
// A view tree kept on screen: laid out once, then only its live relative
// texts are read again as the clock moves. It knows when the next of them
// changes, re-lays the tree out when one does (the measurements of the rest
// are kept) and names the region whose pixels may differ, so that a caller
// repaints that region alone.

#include <cairo.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/protocol/canvas.hpp"
#include "platform/ui/layout/layout_box.hpp"
#include "platform/ui/shaping/fonts.hpp"
#include "platform/ui/shaping/pango_text.hpp"
#include "platform/ui/text/text_case.hpp"
#include "platform/ui/text/text_measure.hpp"
#include "platform/ui/tree/environment.hpp"

namespace corvane {

class LiveLayout {
 public:
  // Lays `root` out on `canvas`, reading every text at env's clock once.
  // `text` must outlive the layout.
  LiveLayout(Node root, Environment env, WidgetCanvas canvas, TextMeasurer& text);
  // It keeps pointers into its own boxes, so it stays where it was made.
  LiveLayout(const LiveLayout&) = delete;
  LiveLayout& operator=(const LiveLayout&) = delete;

  // When the next relative text reads differently; none when there is none.
  std::optional<Date> nextChange() const;

  // Reads the relative texts at the clock's time. When one reads differently,
  // lays the tree out again and returns the region (points, widget
  // coordinates) that must be repainted: the old and new frames of every
  // leaf that changed or moved. None: nothing visible changed.
  std::optional<Rect> update();

  // Paints the whole widget onto `cr`, whose user space is in points.
  void paint(cairo_t* cr, const FontLibrary& fonts) const;
  // Repaints `region` only (widened to whole device pixels): clears it and
  // paints the widget clipped to it. Pixels inside equal a full paint's.
  void repaint(cairo_t* cr, Rect region, const FontLibrary& fonts) const;

  // The texts shown inside the first view named `viewName`, joined by a
  // blank; none when the tree has no such view or it shows no text.
  std::optional<std::string> textOfView(std::string_view viewName) const;

  const BoxTree& boxes() const { return boxes_; }
  const Node& tree() const { return *root_; }
  const Environment& environment() const { return env_; }
  const WidgetCanvas& canvas() const { return canvas_; }
  // When the texts were last read.
  Date readAt() const { return readAt_; }

 private:
  struct LiveText {
    std::vector<Box*> path;  // from the root to the text box, which is last
    TextContent content;
    std::optional<TextCase> textCase;
  };

  Environment at(Date now) const;
  void findLiveTexts(Box& box, std::vector<Box*>& path);

  std::unique_ptr<const Node> root_;  // boxes point into it, so it never moves
  Environment env_;
  WidgetCanvas canvas_;
  TextMeasurer* text_;
  BoxTree boxes_;
  std::vector<LiveText> live_;
  Date readAt_;
};

}  // namespace corvane
