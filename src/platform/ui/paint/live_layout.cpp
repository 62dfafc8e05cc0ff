#include "platform/ui/paint/live_layout.hpp"

#include <algorithm>
#include <cmath>

#include "platform/ui/layout/layout.hpp"
#include "platform/ui/paint/painter.hpp"
#include "platform/ui/text/relative_change.hpp"
#include "platform/ui/tree/text_content.hpp"

namespace corvane {
namespace {

bool isLeaf(const Box& b) {
  return b.kind == BoxKind::text || b.kind == BoxKind::symbol || b.kind == BoxKind::circle ||
         b.kind == BoxKind::divider || b.kind == BoxKind::overlay;
}

// Where a leaf is drawn. The width a text was offered is left out: a stack
// offers its texts new widths whenever a neighbour grows, but a text that
// keeps its frame and its lines is drawn the same.
struct Placement {
  Rect frame;
  int layoutLines = 0;
  friend bool operator==(const Placement&, const Placement&) = default;
};

void collectLeaves(const Box& b, std::vector<Placement>& out) {
  if (isLeaf(b)) out.push_back({b.frame, b.layoutLines});
  for (const Box& c : b.children) collectLeaves(c, out);
}

void collectTexts(const Box& b, std::string& out) {
  if (b.kind == BoxKind::text) {
    if (!out.empty()) out += ' ';
    out += b.text;
  }
  for (const Box& c : b.children) collectTexts(c, out);
}

const Box* findView(const Box& b, std::string_view name) {
  if (b.node && b.node->type == NodeType::view && b.node->viewName == name) return &b;
  for (const Box& c : b.children)
    if (const Box* found = findView(c, name)) return found;
  return nullptr;
}

// Glyphs may reach a little past their text's frame (accents, descenders),
// so a repaint reaches this far around what changed.
constexpr double kInkMargin = 2;

}  // namespace

LiveLayout::LiveLayout(Node root, Environment env, WidgetCanvas canvas, TextMeasurer& text)
    : root_(std::make_unique<const Node>(std::move(root))), env_(std::move(env)), canvas_(canvas), text_(&text) {
  readAt_ = env_.now();
  const Environment pinned = at(readAt_);
  boxes_ = buildBoxes(*root_, pinned);
  layoutWidget(boxes_, canvas_, *text_, env_.displayScale);
  std::vector<Box*> path;
  findLiveTexts(boxes_.root, path);
  // The text case was applied when the text was read out; which one is
  // recovered by comparing with the plain reading, so updates apply it too.
  for (LiveText& t : live_) {
    const std::string& shown = t.path.back()->text;
    const std::string plain = renderText(t.content, pinned);
    for (TextCase c : {TextCase::uppercase, TextCase::lowercase})
      if (shown != plain && applyTextCase(plain, c, env_.locale) == shown) t.textCase = c;
  }
}

Environment LiveLayout::at(Date now) const {
  Environment e = env_;
  e.clock = fixedClock(now);
  return e;
}

void LiveLayout::findLiveTexts(Box& box, std::vector<Box*>& path) {
  path.push_back(&box);
  if (box.kind == BoxKind::text) {
    // The node is on the outermost box of a text; wrappers (padding, frame)
    // may stand between it and the text box itself.
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
      const Node* n = (*it)->node;
      if (!n) continue;
      if (n->type == NodeType::text && n->text.kind == TextKind::relative) live_.push_back({path, n->text, {}});
      break;
    }
  }
  for (Box& c : box.children) findLiveTexts(c, path);
  path.pop_back();
}

std::optional<Date> LiveLayout::nextChange() const {
  std::optional<Date> next;
  for (const LiveText& t : live_) {
    Date d = nextRelativeChange(t.content.date, readAt_);
    if (!next || d < *next) next = d;
  }
  return next;
}

std::optional<Rect> LiveLayout::update() {
  readAt_ = env_.now();
  const Environment pinned = at(readAt_);
  std::vector<const Box*> changed;
  for (LiveText& t : live_) {
    std::string s = renderText(t.content, pinned);
    if (t.textCase) s = applyTextCase(s, *t.textCase, env_.locale);
    Box& box = *t.path.back();
    if (s == box.text) continue;
    box.text = std::move(s);
    // Only the text and the boxes around it can answer differently now;
    // every other box keeps its answers for the same proposals.
    for (Box* b : t.path) b->sizeCache.clear();
    changed.push_back(&box);
  }
  if (changed.empty()) return std::nullopt;

  std::vector<Placement> before;
  collectLeaves(boxes_.root, before);
  std::vector<Rect> changedBefore;
  changedBefore.reserve(changed.size());
  for (const Box* b : changed) changedBefore.push_back(b->frame);
  layoutWidget(boxes_, canvas_, *text_, env_.displayScale);
  // A ticking text shows a new reading every second; the measurer would
  // otherwise keep a layout of each one (and of its neighbours at each
  // width they were offered) for as long as the view lives.
  text_->passDone(TextMeasurer::Pass::update);
  std::vector<Placement> after;
  collectLeaves(boxes_.root, after);

  std::optional<Rect> damage;
  for (std::size_t i = 0; i < before.size(); ++i)
    if (!(before[i] == after[i])) damage = unite(unite(damage, before[i].frame), after[i].frame);
  for (std::size_t i = 0; i < changed.size(); ++i) damage = unite(unite(damage, changedBefore[i]), changed[i]->frame);
  return damage;
}

void LiveLayout::paint(cairo_t* cr, const FontLibrary& fonts) const { paintWidget(cr, boxes_, canvas_, fonts); }

void LiveLayout::repaint(cairo_t* cr, Rect region, const FontLibrary& fonts) const {
  // Whole device pixels, so that the clip has no partly covered pixels and
  // what is painted inside equals a full paint.
  double x0 = region.x - kInkMargin, y0 = region.y - kInkMargin;
  double x1 = region.maxX() + kInkMargin, y1 = region.maxY() + kInkMargin;
  cairo_user_to_device(cr, &x0, &y0);
  cairo_user_to_device(cr, &x1, &y1);
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_rectangle(cr, std::floor(x0), std::floor(y0), std::ceil(x1) - std::floor(x0), std::ceil(y1) - std::floor(y0));
  cairo_restore(cr);
  cairo_save(cr);
  cairo_clip(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  paintWidget(cr, boxes_, canvas_, fonts);
  cairo_restore(cr);
}

std::optional<std::string> LiveLayout::textOfView(std::string_view viewName) const {
  const Box* view = findView(boxes_.root, viewName);
  if (!view) return std::nullopt;
  std::string out;
  collectTexts(*view, out);
  if (out.empty()) return std::nullopt;
  return out;
}

}  // namespace corvane
