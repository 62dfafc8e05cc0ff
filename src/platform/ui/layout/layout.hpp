#pragma once
// The layout engine. Its phases, named once: a parent proposes a size (per
// axis: none = ideal, a number = at most that), the child answers with its
// size, then the parent places the child. Frames are in points, in widget
// coordinates; nothing here knows what the views mean.

#include <optional>

#include "platform/protocol/canvas.hpp"
#include "platform/ui/layout/layout_box.hpp"
#include "platform/ui/text/text_measure.hpp"

namespace corvane {

class LayoutEngine {
 public:
  // `displayScale` sets the thickness of hairlines (one pixel).
  LayoutEngine(TextMeasurer& text, double displayScale) : text_(text), scale_(displayScale) {}

  // What can be seen, in widget coordinates: a lazy grid then measures only
  // the rows a canvas could hold, and places only those inside `viewport`.
  // Without one, every row is measured and placed.
  void setViewport(Rect viewport) { viewport_ = viewport; }

  // The size `box` answers to `proposal`; answers are remembered per box.
  Size size(Box& box, Proposal proposal);
  // The first text baseline from the top of `box` at that proposal, if any.
  std::optional<double> firstBaseline(Box& box, Proposal proposal);
  // Sizes `box` for `proposal`, sets its frame at (x, y) and places its children.
  void place(Box& box, Proposal proposal, double x, double y);

 private:
  struct TextLayout {
    TextMetrics metrics;
    std::optional<double> width;
    int lines = 0;
  };
  struct StackPlan {
    std::vector<Proposal> proposals;
    std::vector<Size> sizes;
    std::vector<double> baselines;  // filled for baseline-aligned stacks
    Size total;
  };
  // A grid's rows: the first `rowY.size()` are measured; every later row is
  // counted at `estimatedRowHeight` until it is placed.
  struct GridPlan {
    std::vector<double> columnX, columnWidth, rowY, rowHeight;
    std::size_t rows = 0;
    double estimatedRowHeight = 0;
    Size total;
  };

  Size compute(Box& box, Proposal p);
  TextLayout text(const Box& box, Proposal p);
  StackPlan planStack(Box& box, Proposal p);
  GridPlan planGrid(Box& box, Proposal p);
  void placeStack(Box& box, const StackPlan& plan);
  void placeGrid(Box& box, const GridPlan& plan);
  double placeGridRow(Box& box, const GridPlan& plan, std::size_t row, double y);

  TextMeasurer& text_;
  double scale_;
  std::optional<Rect> viewport_;
};

// Lays the tree out in the widget's content area (the root is centred there
// when it is smaller) and sets every box's frame.
void layoutWidget(BoxTree& tree, const WidgetCanvas& canvas, TextMeasurer& text, double displayScale);

}  // namespace corvane
