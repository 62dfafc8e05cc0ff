#pragma once
// Measuring text for layout. The layout engine talks to this interface only,
// so tests can stand in a spy or a fake with fixed metrics.

#include <optional>
#include <string>

#include "platform/ui/layout/geometry.hpp"
#include "platform/ui/tree/font.hpp"

namespace corvane {

struct TextMetrics {
  Size size;             // the lines as laid out, in points
  double firstBaseline;  // from the top of the first line
  double lineHeight;     // of one line in this font
};

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // `width`: wrap (or, at the line limit, cut with "…") at this width; none
  // lays the text out on one line per paragraph. `maxLines` 0: no limit.
  // `height`: what the text is offered, if known; it bounds the part of a
  // long text that is shaped, never the metrics of what can be seen.
  virtual TextMetrics measure(const std::string& text, const Font& font, std::optional<double> width, int maxLines,
                              std::optional<double> height) = 0;
  // `text` is no longer shown (a live text moved on to another reading): a
  // measurer that keeps what it measured may let go of it.
  virtual void forget(const std::string& text) { (void)text; }
};

}  // namespace corvane
