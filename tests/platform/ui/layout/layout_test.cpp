// Layout geometry on the real fonts, in points.

#include "platform/ui/layout/layout.hpp"

#include <gtest/gtest.h>

#include <set>

#include "data/store.hpp"
#include "kit/box_query.hpp"
#include "kit/pinned.hpp"
#include "kit/tree_query.hpp"
#include "platform/ui/paint/render.hpp"
#include "platform/ui/shaping/pango_text.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

using testing::boxes;
using testing::ofKind;
using testing::pinnedEnvironment;
using testing::textBox;

FontLibrary& fonts() { return testing::sharedFonts(); }

struct Laid {
  Node tree;
  BoxTree boxes;
};

Laid lay(const Snapshot& d, WidgetFamily family, TextMeasurer* measurer = nullptr) {
  Environment env = pinnedEnvironment(family);
  Laid l{compose(WidgetView{Entry{Date{1765208700}, d}}, env), {}};
  PangoTextMeasurer pango(fonts());
  l.boxes = layOut(l.tree, env, canvasFor(family), measurer ? *measurer : pango);
  return l;
}

constexpr double kTolerance = 1e-9;

TEST(Layout, AccountRowGeometry) {
  for (WidgetFamily family : {WidgetFamily::systemMedium, WidgetFamily::systemLarge}) {
    SCOPED_TRACE(familyName(family));
    Laid l = lay(Store::makeSample(1765208700), family);
    const Box& root = l.boxes.root;
    auto circles = ofKind(root, BoxKind::circle);
    ASSERT_EQ(circles.size(), 2u);
    for (const Box* dot : circles) {
      EXPECT_EQ(dot->frame.width, 7);
      EXPECT_EQ(dot->frame.height, 7);
      EXPECT_EQ(dot->frame.x, 16);  // the content margin
    }
    const Box& handle = textBox(root, "@harbor_lantern");
    const Box& note = textBox(root, "Needs you");
    EXPECT_NEAR(handle.frame.x, 16 + 7 + 6, kTolerance);
    EXPECT_NEAR(note.frame.x, handle.frame.x, kTolerance);
    // The count ends at the trailing edge, with the "DM" label after it.
    const Box& dm = *boxes(root, [](const Box& b) { return b.kind == BoxKind::text && b.text == "DM"; }).front();
    EXPECT_NEAR(dm.frame.maxX(), 364 - 16, kTolerance);
    EXPECT_NEAR(textBox(root, "/30").frame.maxX(), dm.frame.x - 6, kTolerance);
    // Dot, handle and count are centred on one line.
    const Box& line = *circles.front();
    EXPECT_NEAR(line.frame.y + 3.5, handle.frame.y + handle.frame.height / 2, 0.01);
  }
}

TEST(Layout, PlanGridColumnsAndRows) {
  Laid l = lay(Store::makeSample(1765208700), WidgetFamily::systemLarge);
  const Box& root = l.boxes.root;
  const Box& grid = *ofKind(root, BoxKind::grid).front();
  const double width = 364 - 32 - 13;
  EXPECT_NEAR(grid.frame.x, 16 + 13, kTolerance);  // starts where the handle starts
  EXPECT_NEAR(grid.frame.width, width, kTolerance);
  const double column = (width - 20) / 3;
  const char* labels[] = {"Likes", "Comments", "Stories", "Feed", "Follows", "Shares"};
  const char* values[] = {"11/17", "2/6", "7/11", "9/9", "1/5", "\u2013"};
  const double rowTop = textBox(root, "Likes").frame.y;
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(labels[i]);
    double left = grid.frame.x + (i % 3) * (column + 10);
    EXPECT_NEAR(textBox(root, labels[i]).frame.x, left, kTolerance);
    EXPECT_NEAR(textBox(root, values[i]).frame.maxX(), left + column, kTolerance);
  }
  const Box& likes = textBox(root, "Likes");
  const Box& feed = textBox(root, "Feed");
  const double rowHeight = textBox(root, "11/17").frame.height;  // the tallest cell content
  EXPECT_NEAR(feed.frame.y - likes.frame.y, rowHeight + 2, kTolerance);
  EXPECT_NEAR(likes.frame.y, rowTop, kTolerance);
}

TEST(Layout, ListContentStaysAtTheTop) {
  Laid l = lay(Store::makeSample(1765208700), WidgetFamily::systemLarge);
  const Box& root = l.boxes.root;
  EXPECT_NEAR(textBox(root, "TODAY'S PLAN").frame.y, 16, kTolerance);
  const Box& divider = *ofKind(root, BoxKind::divider).front();
  EXPECT_EQ(divider.frame.height, 1);
  EXPECT_NEAR(divider.frame.width, 364 - 32, kTolerance);
  // Row, 7, divider, 7, row.
  const Box& note = textBox(root, "Needs you");
  EXPECT_NEAR(divider.frame.y, note.frame.maxY() + 7, kTolerance);
  auto frames = nodeFrames(l.boxes, l.tree);
  auto rows = testing::views(l.tree, "AccountRow");
  ASSERT_EQ(rows.size(), 2u);
  const Rect first = frames.at(rows[0]), second = frames.at(rows[1]);
  EXPECT_NEAR(divider.frame.y, first.maxY() + 7, kTolerance);
  EXPECT_NEAR(second.y, divider.frame.maxY() + 7, kTolerance);
  auto spacers = ofKind(root, BoxKind::spacer);
  const Box& last = *spacers.back();
  EXPECT_NEAR(last.frame.maxY(), 382 - 16, kTolerance);  // the spacer fills the rest
}

TEST(Layout, SmallViewSpacersShareTheFreeHeight) {
  Laid l = lay(Store::makeSample(1765208700), WidgetFamily::systemSmall);
  auto stacks = boxes(l.boxes.root, [](const Box& b) { return b.kind == BoxKind::vstack && b.children.size() == 7; });
  ASSERT_EQ(stacks.size(), 1u);
  const Box& stack = *stacks.front();
  EXPECT_NEAR(stack.children[1].frame.height, stack.children[4].frame.height, kTolerance);
  EXPECT_GT(stack.children[1].frame.height, 4);
  EXPECT_NEAR(stack.frame.y, 16, kTolerance);
  EXPECT_NEAR(stack.frame.maxY(), 170 - 16, kTolerance);
  // The count and its cap stand on one baseline.
  const Box& count = textBox(l.boxes.root, "18");
  const Box& cap = textBox(l.boxes.root, "/70");
  PangoTextMeasurer m(fonts());
  double countBase = count.frame.y + m.measure("18", count.font, std::nullopt, 0).firstBaseline;
  double capBase = cap.frame.y + m.measure("/70", cap.font, std::nullopt, 0).firstBaseline;
  EXPECT_NEAR(countBase, capBase, kTolerance);
}

TEST(Layout, LongHandleIsCutAndTheCounterStaysAtTheTrailingEdge) {
  Snapshot d = Store::makeSample(1765208700);
  d.accounts[0].u = std::string(120, 'w');
  Laid l = lay(d, WidgetFamily::systemMedium);
  const Box& handle = textBox(l.boxes.root, "@" + d.accounts[0].u);
  const Box& cap = textBox(l.boxes.root, "/30");
  EXPECT_EQ(handle.layoutLines, 1);
  EXPECT_NEAR(handle.frame.height, textBox(l.boxes.root, "@quiet_orchard").frame.height, kTolerance);
  EXPECT_GE(textBox(l.boxes.root, "0").frame.x - handle.frame.maxX(), 4 - kTolerance);
  // Only the spacer's minimum, and what is left of the last glyph that did not fit.
  EXPECT_LE(textBox(l.boxes.root, "0").frame.x - handle.frame.maxX(), 4 + 13);
  EXPECT_NEAR(cap.frame.maxX() + 6 + 12, 364 - 16, 0.01);
}

// Records every question the layout asks about each text.
class SpyMeasurer final : public TextMeasurer {
 public:
  explicit SpyMeasurer(TextMeasurer& real) : real_(real) {}
  TextMetrics measure(const std::string& text, const Font& font, std::optional<double> width, int maxLines,
                      std::optional<double> height) override {
    asked.push_back({text, width, maxLines});
    return real_.measure(text, font, width, maxLines, height);
  }
  struct Question {
    std::string text;
    std::optional<double> width;
    int maxLines;
  };
  std::vector<Question> asked;

 private:
  TextMeasurer& real_;
};

TEST(Layout, TextsAreAskedWithTheirLineLimitsAndWidths) {
  PangoTextMeasurer pango(fonts());
  SpyMeasurer spy(pango);
  Snapshot d = Store::makeSample(1765208700);
  d.accounts[1].note = "A note long enough to need more than one line in the widget, so it wraps";
  Laid l = lay(d, WidgetFamily::systemLarge, &spy);
  const Box& note = textBox(l.boxes.root, d.accounts[1].note);
  EXPECT_EQ(note.layoutLines, 0);  // wraps freely
  EXPECT_GT(note.frame.height, textBox(l.boxes.root, "Needs you").frame.height * 1.5);
  auto questions = [&](const std::string& text) {
    std::vector<SpyMeasurer::Question> out;
    for (const auto& q : spy.asked)
      if (q.text == text) out.push_back(q);
    return out;
  };
  for (const auto& q : questions("@quiet_orchard")) EXPECT_EQ(q.maxLines, 1);
  for (const auto& q : questions("Likes")) EXPECT_EQ(q.maxLines, 1);
  // The value has no limit of its own; only a height too small for it cuts it.
  bool unlimited = false;
  for (const auto& q : questions("11/17")) unlimited = unlimited || q.maxLines == 0;
  EXPECT_TRUE(unlimited);
  // The note has no line limit and is offered the row's width less its inset.
  bool offeredRowWidth = false;
  for (const auto& q : questions(d.accounts[1].note)) {
    if (q.width && std::abs(*q.width - (364 - 32 - 13)) < kTolerance) offeredRowWidth = true;
  }
  EXPECT_TRUE(offeredRowWidth);
  // Grid labels are offered at most a column's width.
  for (const auto& q : questions("Comments"))
    if (q.width) {
      EXPECT_LE(*q.width, (364 - 32 - 13 - 20) / 3.0 + kTolerance);
    }
}

// ---- Hostile data: what is laid out is bounded by the canvas ----------------

Snapshot withFirstAccount(const std::function<void(Account&)>& change) {
  Snapshot d = Store::makeSample(1765208700);
  change(d.accounts[0]);
  return d;
}

TEST(Layout, ALongNoteShowsTheLinesThatFitAndKeepsTheHeaderInView) {
  std::string note;
  while (note.size() < 200'000) note += "alpha beta gamma ";
  Snapshot d = withFirstAccount([&](Account& a) { a.note = note; });
  for (WidgetFamily family : {WidgetFamily::systemMedium, WidgetFamily::systemLarge}) {
    SCOPED_TRACE(familyName(family));
    Laid l = lay(d, family);
    const WidgetCanvas canvas = canvasFor(family);
    const std::string title = family == WidgetFamily::systemMedium ? "CORVANE" : "TODAY'S PLAN";
    EXPECT_NEAR(textBox(l.boxes.root, title).frame.y, canvas.margin, kTolerance);
    const Box& shown = textBox(l.boxes.root, note);
    EXPECT_GT(shown.layoutLines, 1);  // as many lines as fit, the last ending in "…"
    EXPECT_LE(shown.frame.maxY(), canvas.height - canvas.margin + kTolerance);
    EXPECT_GE(shown.frame.x, canvas.margin);
    EXPECT_LE(shown.frame.maxX(), canvas.width - canvas.margin + kTolerance);
  }
}

TEST(Layout, ALazyGridPlacesOnlyTheRowsInsideTheCanvasButCountsThemAll) {
  std::vector<PlanCell> plan;
  for (int i = 0; i < 6'000; ++i) plan.push_back({"L" + std::to_string(i), std::to_string(i) + "/9", ""});
  Snapshot d = withFirstAccount([&](Account& a) { a.plan = plan; });
  PangoTextMeasurer pango(fonts());
  SpyMeasurer spy(pango);
  Laid l = lay(d, WidgetFamily::systemLarge, &spy);
  const Box& grid = *ofKind(l.boxes.root, BoxKind::grid).front();
  auto placed = grid.placedChildren();
  ASSERT_FALSE(placed.empty());
  const double rowHeight = placed.front().frame.height;
  // All 2,000 rows count towards the height, so the grid overflows the widget.
  EXPECT_NEAR(grid.frame.height, 2'000 * rowHeight + 1'999 * 2, 1);
  EXPECT_LT(placed.size(), 3u * 40);  // a canvas holds fewer than 40 rows
  for (const Box& cell : placed) {
    EXPECT_LT(cell.frame.y, 382);
    EXPECT_GT(cell.frame.maxY(), 0);
  }
  // The rows on screen are placed one under the other, each at its height.
  for (std::size_t i = 3; i < placed.size(); i += 3)
    EXPECT_NEAR(placed[i].frame.y - placed[i - 3].frame.y, rowHeight + 2, 0.01);
  // Texts of rows no one can see are never measured.
  std::set<std::string> measured;
  for (const auto& q : spy.asked) measured.insert(q.text);
  EXPECT_EQ(measured.count("L5999"), 0u);
  EXPECT_LT(measured.size(), 600u);
}

TEST(Layout, AHundredThousandCellPlanBuildsOnlyTheCellsTheCanvasCanShow) {
  std::vector<PlanCell> plan;
  for (int i = 0; i < 100'000; ++i) plan.push_back({"L" + std::to_string(i), std::to_string(i % 10) + "/9", "full"});
  Snapshot d = withFirstAccount([&](Account& a) { a.plan = plan; });
  Laid l = lay(d, WidgetFamily::systemLarge);
  const Box& gridBox = *ofKind(l.boxes.root, BoxKind::grid).front();
  ASSERT_NE(gridBox.node, nullptr);
  const Node& each = gridBox.node->children.at(0);
  ASSERT_EQ(each.elements.size(), 100'000u);
  // Cell bodies: the rows measured to fill the canvas and the rows placed in
  // it, a few dozen each, never the whole plan.
  std::size_t made = 0;
  each.elements.forEachMade([&made](std::size_t, const ForEachElement&) { ++made; });
  EXPECT_GT(made, 0u);
  EXPECT_LT(made, 3u * 80);
  // Boxes: about five per cell made, plus the rest of the widget.
  EXPECT_LT(testing::boxCount(l.boxes.root), 5 * made + 200);
  EXPECT_EQ(gridBox.itemCount, 100'000u);
  EXPECT_LE(gridBox.builtItems.size(), made);
  EXPECT_FALSE(gridBox.placedChildren().empty());
  for (const Box& cell : gridBox.placedChildren()) {
    EXPECT_LT(cell.frame.y, canvasFor(WidgetFamily::systemLarge).height);
    EXPECT_GT(cell.frame.maxY(), 0);
  }
}

TEST(Layout, AGridMixesItemsMadeUpFrontWithALazyForEachsInOrder) {
  Environment env = pinnedEnvironment(WidgetFamily::systemMedium);
  const GridItem column{50, 50, 10, std::nullopt};
  int asked = 0;
  Node lazy = ForEach(3, [&asked](std::size_t i) {
    ++asked;
    return ForEachElement{std::to_string(i), {Text::verbatim("n" + std::to_string(i))}};
  });
  Node tree = LazyVGrid({column, column}, HorizontalAlignment::leading, 2,
                        {Text::verbatim("a"), Group({std::move(lazy), ForEach(0, {})}),
                         ForEach({{"\"y\"", {Text::verbatim("y")}}, {"\"z\"", {Text::verbatim("z")}}})});
  PangoTextMeasurer pango(fonts());
  BoxTree boxes = layOut(tree, env, canvasFor(WidgetFamily::systemMedium), pango);
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(boxes.root.itemCount, 6u);
  std::vector<std::string> order;
  std::vector<double> xs, ys;
  for (const Box& cell : boxes.root.placedChildren()) {
    order.push_back(cell.text);
    xs.push_back(cell.frame.x);
    ys.push_back(cell.frame.y);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"a", "n0", "n1", "n2", "y", "z"}));
  ASSERT_EQ(xs.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(order[i]);
    EXPECT_NEAR(xs[i], xs[i % 2], kTolerance);  // two columns, filled row by row
    EXPECT_NEAR(ys[i], ys[i - i % 2], kTolerance);
    if (i >= 2) {
      EXPECT_GT(ys[i], ys[i - 2]);
    }
  }
}

// A grid of narrow cells in two columns 100 points wide, in a canvas wide
// enough for them.
Laid layGrid(HorizontalAlignment alignment, std::optional<Alignment> secondColumn) {
  Environment env = pinnedEnvironment(WidgetFamily::systemMedium);
  const GridItem first{100, 100, 10, std::nullopt};
  const GridItem second{100, 100, 10, secondColumn};
  Laid l{LazyVGrid({first, second}, alignment, 2,
                   {Text::verbatim("a"), Text::verbatim("b"), Text::verbatim("c"), Text::verbatim("d")}),
         {}};
  PangoTextMeasurer pango(fonts());
  l.boxes = layOut(l.tree, env, canvasFor(WidgetFamily::systemMedium), pango);
  return l;
}

TEST(Layout, GridCellsFollowTheGridsAlignmentUnlessTheirColumnHasOne) {
  struct Case {
    HorizontalAlignment grid;
    std::optional<Alignment> secondColumn;
    double firstColumnAt, secondColumnAt;  // where a cell sits in its column: 0 leading, 0.5 centre, 1 trailing
  };
  const std::vector<Case> cases = {
      {HorizontalAlignment::leading, std::nullopt, 0, 0},
      {HorizontalAlignment::center, std::nullopt, 0.5, 0.5},
      {HorizontalAlignment::trailing, std::nullopt, 1, 1},
      {HorizontalAlignment::leading, Alignment::center, 0, 0.5},
      {HorizontalAlignment::trailing, Alignment::center, 1, 0.5},
  };
  for (const Case& c : cases) {
    Laid l = layGrid(c.grid, c.secondColumn);
    const Box& grid = l.boxes.root;
    for (const char* text : {"a", "b", "c", "d"}) {
      SCOPED_TRACE(std::string(text) + " at alignment " + std::to_string(static_cast<int>(c.grid)));
      const Box& cell = textBox(grid, text);
      const bool second = std::string("bd").find(text) != std::string::npos;
      const double columnX = grid.frame.x + (second ? 110 : 0);
      const double at = second ? c.secondColumnAt : c.firstColumnAt;
      EXPECT_NEAR(cell.frame.x, columnX + at * (100 - cell.frame.width), kTolerance);
    }
  }
}

TEST(Layout, ABottomAlignedStackStandsOnTheBaselineOfItsBottomText) {
  Environment env = pinnedEnvironment(WidgetFamily::systemMedium);
  // The inner stack is 30 points tall; its text sits at its bottom.
  Node tree = HStack(
      VerticalAlignment::firstTextBaseline, 4,
      {Text::verbatim("Big").font(Font::system(20)),
       HStack(VerticalAlignment::bottom, 2, {Circle().frame(10, 30), Text::verbatim("small").font(Font::system(10))})});
  PangoTextMeasurer pango(fonts());
  BoxTree boxes = layOut(tree, env, canvasFor(WidgetFamily::systemMedium), pango);
  const Box& big = textBox(boxes.root, "Big");
  const Box& small = textBox(boxes.root, "small");
  const double bigBaseline = big.frame.y + pango.measure("Big", Font::system(20), std::nullopt, 0).firstBaseline;
  const double smallBaseline = small.frame.y + pango.measure("small", Font::system(10), std::nullopt, 0).firstBaseline;
  EXPECT_NEAR(smallBaseline, bigBaseline, kTolerance);
  const Box& circle = *ofKind(boxes.root, BoxKind::circle).front();
  EXPECT_NEAR(small.frame.maxY(), circle.frame.maxY(), kTolerance);
}

}  // namespace
}  // namespace corvane
