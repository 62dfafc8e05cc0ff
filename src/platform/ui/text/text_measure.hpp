#pragma once
// Measuring text for layout. The layout engine talks to this interface only,
// so tests can stand in a spy or a fake with fixed metrics.

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/layout/geometry.hpp"
#include "platform/ui/tree/font.hpp"

namespace corvane {

// What a measurer shaped to answer one question, for the painter to draw as
// it is. Layout only hands it on: the type is complete only where a measurer
// makes one (Pango's, in pango_text.hpp), and a measurer that shapes nothing
// leaves it empty.
struct ShapedText;

struct TextMetrics {
  Size size;                                 // the lines as laid out, in points
  double firstBaseline = 0;                  // from the top of the first line
  double lineHeight = 0;                     // of one line in this font
  std::shared_ptr<const ShapedText> shaped;  // what was shaped, if anything
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
  // What a finished layout pass laid out.
  enum class Pass {
    whole,   // every view, from scratch: every text shown was asked about
    update,  // a live layout whose texts moved on: its other boxes kept their answers
  };
  // A layout pass is over: a measurer that keeps what it measured may let go
  // of what is no longer asked for. After a whole pass, whatever it did not
  // ask; after an update, what updates asked that the last few passes did
  // not ask again (a live text's old readings, its neighbours at widths they
  // are no longer offered), while what the whole pass asked stays for the
  // next one, which will most likely ask it again.
  virtual void passDone(Pass /*pass*/) {}
};

}  // namespace corvane
