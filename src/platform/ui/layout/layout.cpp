#include "platform/ui/layout/layout.hpp"

#include <algorithm>
#include <cmath>

#include "platform/ui/layout/stack_share.hpp"

namespace corvane {
namespace {

constexpr double kEpsilon = 1e-6;
constexpr double kDefaultSpacerLength = 8;
// A symbol's frame is as tall as its font size and a little wider.
constexpr double kSymbolWidthPerHeight = 1.15;

// A proposal a text can lay out at: an infinite width is no width at all.
std::optional<double> finite(std::optional<double> v) {
  if (v && std::isinf(*v)) return std::nullopt;
  return v;
}

std::optional<double> inset(std::optional<double> v, double by) {
  if (!v) return v;
  return std::max(0.0, *v - by);
}

bool isVertical(const Box& b) { return b.kind == BoxKind::vstack; }
double along(Size s, bool vertical) { return vertical ? s.height : s.width; }
double across(Size s, bool vertical) { return vertical ? s.width : s.height; }
std::optional<double> along(Proposal p, bool vertical) { return vertical ? p.height : p.width; }

Proposal withAlong(Proposal p, bool vertical, std::optional<double> length) {
  if (vertical)
    p.height = length;
  else
    p.width = length;
  return p;
}

}  // namespace

Size LayoutEngine::size(Box& box, Proposal p) {
  if (const Size* known = box.sizeCache.find(p)) return *known;
  Size s = compute(box, p);
  box.sizeCache.keep(p, s);
  return s;
}

LayoutEngine::TextLayout LayoutEngine::text(const Box& box, Proposal p) {
  TextLayout t;
  t.width = finite(p.width);
  t.lines = box.lineLimit.value_or(0);
  // The height bounds what is shaped: a text cut to the lines that fit and
  // one more still overflows it, and the lines that fit are the same.
  auto height = finite(p.height);
  t.metrics = text_.measure(box.text, box.font, t.width, t.lines, height);
  // A height too small for every line keeps as many lines as fit, never fewer than one.
  if (height && t.metrics.size.height > *height + kEpsilon && t.metrics.lineHeight > 0) {
    int fit = std::max(1, static_cast<int>(std::floor((*height + kEpsilon) / t.metrics.lineHeight)));
    if (t.lines == 0 || fit < t.lines) {
      t.lines = fit;
      t.metrics = text_.measure(box.text, box.font, t.width, t.lines, height);
    }
  }
  return t;
}

Size LayoutEngine::compute(Box& b, Proposal p) {
  switch (b.kind) {
    case BoxKind::text: return text(b, p).metrics.size;
    case BoxKind::symbol: return {b.font.size * kSymbolWidthPerHeight, b.font.size};
    case BoxKind::circle: return {p.width.value_or(10), p.height.value_or(10)};
    case BoxKind::divider: {
      double hairline = 1 / scale_;
      auto extent = [](std::optional<double> v) { return v && !std::isinf(*v) ? *v : 0.0; };
      return b.axis == Axis::vertical ? Size{extent(p.width), hairline} : Size{hairline, extent(p.height)};
    }
    case BoxKind::spacer: {
      double minimum = b.minLength.value_or(kDefaultSpacerLength);
      bool vertical = b.axis == Axis::vertical;
      auto offer = along(p, vertical);
      double length = offer ? std::max(*offer, minimum) : minimum;
      return vertical ? Size{0, length} : Size{length, 0};
    }
    case BoxKind::vstack:
    case BoxKind::hstack: return planStack(b, p).total;
    case BoxKind::grid: return planGrid(b, p).total;
    case BoxKind::padding: {
      const EdgeInsets& in = b.insets;
      Size c = size(b.children[0], {inset(p.width, in.leading + in.trailing), inset(p.height, in.top + in.bottom)});
      return {c.width + in.leading + in.trailing, c.height + in.top + in.bottom};
    }
    case BoxKind::frame: {
      Size c = size(b.children[0], {b.frameWidth ? b.frameWidth : p.width, b.frameHeight ? b.frameHeight : p.height});
      return {b.frameWidth.value_or(c.width), b.frameHeight.value_or(c.height)};
    }
    case BoxKind::overlay:
    case BoxKind::pass: return size(b.children[0], p);
  }
  return {};
}

LayoutEngine::StackPlan LayoutEngine::planStack(Box& b, Proposal p) {
  const bool vertical = isVertical(b);
  const std::size_t n = b.children.size();
  StackPlan plan;
  plan.proposals.assign(n, p);
  plan.sizes.resize(n);
  const double spacing = n > 1 ? b.spacing * double(n - 1) : 0;

  auto offered = along(p, vertical);
  if (!offered) {
    // Ideal size: every child at its ideal length along the axis.
    for (std::size_t i = 0; i < n; ++i) {
      plan.proposals[i] = withAlong(p, vertical, std::nullopt);
      plan.sizes[i] = size(b.children[i], plan.proposals[i]);
    }
  } else {
    std::vector<ShareItem> items(n);
    for (std::size_t i = 0; i < n; ++i) {
      Box& c = b.children[i];
      if (c.kind == BoxKind::spacer) {
        items[i] = {kInfinity, true, c.minLength.value_or(kDefaultSpacerLength)};
        continue;
      }
      double least = along(size(c, withAlong(p, vertical, 0.0)), vertical);
      double most = along(size(c, withAlong(p, vertical, kInfinity)), vertical);
      items[i] = {most - least, false, 0};
    }
    shareLength(*offered - spacing, items, [&](std::size_t i, double offer) {
      plan.proposals[i] = withAlong(p, vertical, offer);
      plan.sizes[i] = size(b.children[i], plan.proposals[i]);
      return along(plan.sizes[i], vertical);
    });
  }

  double length = spacing, thickness = 0;
  for (const Size& s : plan.sizes) {
    length += along(s, vertical);
    thickness = std::max(thickness, across(s, vertical));
  }
  if (!vertical && b.vAlignment == VerticalAlignment::firstTextBaseline) {
    // Children stand on one baseline: the stack is as tall as the deepest
    // child below it plus the tallest above it.
    plan.baselines.resize(n);
    double above = 0, below = 0;
    for (std::size_t i = 0; i < n; ++i) {
      plan.baselines[i] = firstBaseline(b.children[i], plan.proposals[i]).value_or(plan.sizes[i].height);
      above = std::max(above, plan.baselines[i]);
      below = std::max(below, plan.sizes[i].height - plan.baselines[i]);
    }
    thickness = above + below;
  }
  plan.total = vertical ? Size{thickness, length} : Size{length, thickness};
  return plan;
}

LayoutEngine::GridPlan LayoutEngine::planGrid(Box& b, Proposal p) {
  GridPlan plan;
  const std::size_t k = std::max<std::size_t>(1, b.columns.size());
  const std::size_t n = b.itemCount;
  plan.rows = (n + k - 1) / k;
  // Rows are measured until they fill the viewport's height; the rest of a
  // taller grid overflows the widget anyway and is only counted.
  const double measuredHeight = viewport_ ? viewport_->height : kInfinity;
  std::vector<double> gaps(k, 0);
  double gapTotal = 0;
  for (std::size_t c = 0; c + 1 < k; ++c) {
    gaps[c] = c < b.columns.size() ? b.columns[c].spacing.value_or(kDefaultSpacing) : kDefaultSpacing;
    gapTotal += gaps[c];
  }
  auto width = finite(p.width);
  std::size_t idealRows = plan.rows;
  if (!width) {
    double y = 0;
    for (idealRows = 0; idealRows < plan.rows && (idealRows == 0 || y < measuredHeight); ++idealRows) {
      double h = 0;
      for (std::size_t i = idealRows * k; i < std::min(n, idealRows * k + k); ++i)
        h = std::max(h, size(b.item(i), {}).height);
      y += h + b.spacing;
    }
  }
  plan.columnWidth.assign(k, 0);
  for (std::size_t c = 0; c < k; ++c) {
    double minimum = c < b.columns.size() ? b.columns[c].minimum : 0;
    double maximum = c < b.columns.size() ? b.columns[c].maximum : kInfinity;
    double w = 0;
    if (width) {
      w = (*width - gapTotal) / double(k);  // flexible columns share the width equally
    } else {
      for (std::size_t i = c; i < std::min(n, idealRows * k); i += k) w = std::max(w, size(b.item(i), {}).width);
    }
    plan.columnWidth[c] = std::clamp(w, minimum, std::max(minimum, maximum));
  }
  double x = 0;
  for (std::size_t c = 0; c < k; ++c) {
    plan.columnX.push_back(x);
    x += plan.columnWidth[c] + gaps[c];
  }
  double y = 0;
  for (std::size_t row = 0; row < plan.rows && (row == 0 || y < measuredHeight); ++row) {
    double h = 0;
    for (std::size_t i = row * k; i < std::min(n, row * k + k); ++i)
      h = std::max(h, size(b.item(i), {plan.columnWidth[i % k], std::nullopt}).height);
    if (row > 0) y += b.spacing;
    plan.rowY.push_back(y);
    plan.rowHeight.push_back(h);
    y += h;
  }
  const std::size_t unmeasured = plan.rows - plan.rowY.size();
  if (unmeasured > 0) {
    plan.estimatedRowHeight = *std::min_element(plan.rowHeight.begin(), plan.rowHeight.end());
    y += double(unmeasured) * (b.spacing + plan.estimatedRowHeight);
  }
  plan.total = {x - (k ? gaps[k - 1] : 0), y};
  return plan;
}

std::optional<double> LayoutEngine::firstBaseline(Box& b, Proposal p) {
  switch (b.kind) {
    case BoxKind::text: return text(b, p).metrics.firstBaseline;
    case BoxKind::pass:
    case BoxKind::overlay: return firstBaseline(b.children[0], p);
    case BoxKind::padding: {
      const EdgeInsets& in = b.insets;
      auto inner =
          firstBaseline(b.children[0], {inset(p.width, in.leading + in.trailing), inset(p.height, in.top + in.bottom)});
      return inner ? std::optional(*inner + in.top) : std::nullopt;
    }
    case BoxKind::frame: {
      Proposal inner{b.frameWidth ? b.frameWidth : p.width, b.frameHeight ? b.frameHeight : p.height};
      Size outer = size(b, p), c = size(b.children[0], inner);
      auto base = firstBaseline(b.children[0], inner);
      return base ? std::optional(*base + (outer.height - c.height) / 2) : std::nullopt;
    }
    case BoxKind::vstack:
    case BoxKind::hstack: {
      if (b.children.empty()) return std::nullopt;
      StackPlan plan = planStack(b, p);
      if (!plan.baselines.empty()) return *std::max_element(plan.baselines.begin(), plan.baselines.end());
      // The first child that has a baseline, where the stack puts it.
      double above = 0;
      for (std::size_t i = 0; i < b.children.size(); ++i) {
        auto base = firstBaseline(b.children[i], plan.proposals[i]);
        if (!base) {
          above += plan.sizes[i].height + b.spacing;
          continue;
        }
        if (isVertical(b)) return *base + above;
        double free = plan.total.height - plan.sizes[i].height;
        if (b.vAlignment == VerticalAlignment::center) return *base + free / 2;
        if (b.vAlignment == VerticalAlignment::bottom) return *base + free;
        return base;
      }
      return std::nullopt;
    }
    default: return std::nullopt;
  }
}

void LayoutEngine::place(Box& b, Proposal p, double x, double y) {
  Size s = size(b, p);
  b.frame = {x, y, s.width, s.height};
  switch (b.kind) {
    case BoxKind::text: {
      TextLayout t = text(b, p);
      b.layoutWidth = t.width;
      b.layoutLines = t.lines;
      b.layoutHeight = finite(p.height);
      b.shaped = std::move(t.metrics.shaped);
      break;
    }
    case BoxKind::pass:
    case BoxKind::overlay: place(b.children[0], p, x, y); break;
    case BoxKind::padding: {
      const EdgeInsets& in = b.insets;
      place(b.children[0], {inset(p.width, in.leading + in.trailing), inset(p.height, in.top + in.bottom)},
            x + in.leading, y + in.top);
      break;
    }
    case BoxKind::frame: {
      Proposal inner{b.frameWidth ? b.frameWidth : p.width, b.frameHeight ? b.frameHeight : p.height};
      Size c = size(b.children[0], inner);
      place(b.children[0], inner, x + (s.width - c.width) / 2, y + (s.height - c.height) / 2);
      break;
    }
    case BoxKind::vstack:
    case BoxKind::hstack: placeStack(b, planStack(b, p)); break;
    case BoxKind::grid: placeGrid(b, planGrid(b, p)); break;
    default: break;
  }
}

void LayoutEngine::placeStack(Box& b, const StackPlan& plan) {
  const bool vertical = isVertical(b);
  double cursor = 0;
  double top = plan.baselines.empty() ? 0 : *std::max_element(plan.baselines.begin(), plan.baselines.end());
  for (std::size_t i = 0; i < b.children.size(); ++i) {
    const Size& s = plan.sizes[i];
    double offset = 0;  // across the axis
    if (vertical) {
      if (b.hAlignment == HorizontalAlignment::center) offset = (b.frame.width - s.width) / 2;
      if (b.hAlignment == HorizontalAlignment::trailing) offset = b.frame.width - s.width;
    } else if (!plan.baselines.empty()) {
      offset = top - plan.baselines[i];
    } else if (b.vAlignment == VerticalAlignment::center) {
      offset = (b.frame.height - s.height) / 2;
    } else if (b.vAlignment == VerticalAlignment::bottom) {
      offset = b.frame.height - s.height;
    }
    double cx = b.frame.x + (vertical ? offset : cursor);
    double cy = b.frame.y + (vertical ? cursor : offset);
    place(b.children[i], plan.proposals[i], cx, cy);
    cursor += along(s, vertical) + b.spacing;
  }
}

void LayoutEngine::placeGrid(Box& b, const GridPlan& plan) {
  const std::size_t k = plan.columnWidth.size();
  const std::size_t measured = plan.rowY.size();
  // Rows whose top is past the viewport's bottom, or whose bottom is above
  // its top, are neither sized nor placed.
  const double top = viewport_ ? viewport_->y - b.frame.y : -kInfinity;
  const double bottom = viewport_ ? viewport_->maxY() - b.frame.y : kInfinity;
  std::size_t first = 0;
  while (first < measured && plan.rowY[first] + plan.rowHeight[first] < top) ++first;
  double y = first < measured ? plan.rowY[first] : 0;
  const double step = plan.estimatedRowHeight + b.spacing;
  if (first == measured && measured < plan.rows) {
    double start = plan.rowY.back() + plan.rowHeight.back() + b.spacing;  // of the first unmeasured row
    std::size_t skipped = step > 0 && top > start ? static_cast<std::size_t>((top - start) / step) : 0;
    first = std::min(plan.rows, measured + skipped);
    y = start + double(skipped) * step;
  }
  std::size_t row = first;
  for (; row < plan.rows && y <= bottom; ++row) {
    double h = placeGridRow(b, plan, row, row < measured ? plan.rowY[row] : y);
    y = (row < measured ? plan.rowY[row] : y) + h + b.spacing;
    if (row >= measured && step <= 0) break;  // empty rows past the measured ones: nothing more to see
  }
  b.placedBegin = first * k;
  b.placedEnd = row * k;
}

// Places one row's cells with its top at `y` (from the grid's top); returns
// the row's height.
double LayoutEngine::placeGridRow(Box& b, const GridPlan& plan, std::size_t row, double y) {
  const std::size_t k = plan.columnWidth.size();
  const std::size_t end = std::min(b.itemCount, row * k + k);
  std::vector<Size> cells;
  double h = 0;
  for (std::size_t i = row * k; i < end; ++i) {
    cells.push_back(size(b.item(i), {plan.columnWidth[i % k], std::nullopt}));
    h = std::max(h, cells.back().height);
  }
  for (std::size_t i = row * k; i < end; ++i) {
    const std::size_t col = i % k;
    const Size& cell = cells[i - row * k];
    // A column's own alignment (centre) wins over the grid's.
    HorizontalAlignment align =
        col < b.columns.size() && b.columns[col].alignment ? HorizontalAlignment::center : b.hAlignment;
    double free = plan.columnWidth[col] - cell.width;
    double dx = align == HorizontalAlignment::leading ? 0 : align == HorizontalAlignment::center ? free / 2 : free;
    place(b.item(i), {plan.columnWidth[col], std::nullopt}, b.frame.x + plan.columnX[col] + dx,
          b.frame.y + y + (h - cell.height) / 2);
  }
  return h;
}

void layoutWidget(BoxTree& tree, const WidgetCanvas& canvas, TextMeasurer& text, double displayScale) {
  LayoutEngine engine(text, displayScale);
  engine.setViewport({0, 0, canvas.width, canvas.height});
  const double w = std::max(0.0, canvas.width - 2 * canvas.margin);
  const double h = std::max(0.0, canvas.height - 2 * canvas.margin);
  Proposal content{w, h};
  Size s = engine.size(tree.root, content);
  engine.place(tree.root, content, canvas.margin + (w - s.width) / 2, canvas.margin + (h - s.height) / 2);
}

}  // namespace corvane
