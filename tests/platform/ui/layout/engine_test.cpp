// The layout engine on fixed text metrics: one primitive at a time, each
// against a table of proposals and the frames worked out by hand from the
// layout rules. No fonts are involved (this program links the layout library
// alone), so every number below is exact.
//
// Fake metrics, by font size: 10 → 5 per character, lines 15 high, baseline
// 12.5; 16 → 8, 24, 20; 20 → 10, 30, 25.

#include "platform/ui/layout/layout.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <set>

#include "kit/box_query.hpp"
#include "kit/fake_measurer.hpp"

namespace corvane {

void PrintTo(const Rect& r, std::ostream* os) {
  *os << "{" << r.x << ", " << r.y << ", " << r.width << " x " << r.height << "}";
}
void PrintTo(const Size& s, std::ostream* os) { *os << s.width << " x " << s.height; }

namespace {

using testing::FakeMeasurer;
using testing::ofKind;
using testing::textBox;

const std::optional<double> none;

GridItem column(double minimum, double maximum) { return GridItem{minimum, maximum, std::nullopt, std::nullopt}; }

Node t(std::string_view text, double size = 10) { return Text::verbatim(text).font(Font::system(size)); }

// A box by what a table names it: "root", "<kind>#<n>" for the n-th box of
// that kind in tree order, or else the text a text box draws.
const Box& pick(const Box& root, const std::string& what) {
  if (what == "root") return root;
  static const std::pair<const char*, BoxKind> kinds[] = {{"spacer", BoxKind::spacer},   {"circle", BoxKind::circle},
                                                          {"divider", BoxKind::divider}, {"overlay", BoxKind::overlay},
                                                          {"padding", BoxKind::padding}, {"frame", BoxKind::frame},
                                                          {"hstack", BoxKind::hstack},   {"vstack", BoxKind::vstack}};
  if (auto hash = what.find('#'); hash != std::string::npos) {
    for (const auto& [name, kind] : kinds) {
      if (what.compare(0, hash, name) != 0) continue;
      auto all = ofKind(root, kind);
      std::size_t n = std::stoul(what.substr(hash + 1));
      if (n >= all.size()) throw std::runtime_error("no box " + what);
      return *all[n];
    }
  }
  return textBox(root, what);
}

struct Case {
  std::string name;
  Node view;
  Proposal proposal;
  std::vector<std::pair<std::string, Rect>> frames;
};

struct Laid {
  Node view;
  BoxTree boxes;
};

// Lays `view` out for `proposal` with its origin at (0, 0).
void layOut(Laid& l, Proposal proposal, FakeMeasurer& measurer, double scale = 1) {
  l.boxes = buildBoxes(l.view, Environment{});
  LayoutEngine engine(measurer, scale);
  engine.place(l.boxes.root, proposal, 0, 0);
}

void check(const std::vector<Case>& cases, double scale = 1) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeMeasurer measurer;
    Laid l{c.view, {}};
    layOut(l, c.proposal, measurer, scale);
    for (const auto& [what, frame] : c.frames) EXPECT_EQ(pick(l.boxes.root, what).frame, frame) << what;
  }
}

TEST(Engine, TextWrapsAndCutsToWhatItIsOffered) {
  struct TextCase {
    std::string name;
    Node view;
    Proposal proposal;
    Rect frame;
    int lines;  // the line count the text is laid out with (0: no limit)
  };
  const std::string hello = "hello world";  // 55 wide on one line
  const TextCase cases[] = {
      {"ideal", t(hello), {none, none}, {0, 0, 55, 15}, 0},
      {"wide enough", t(hello), {100, none}, {0, 0, 55, 15}, 0},
      {"infinite width is no width", t(hello), {kInfinity, none}, {0, 0, 55, 15}, 0},
      {"narrower: wraps by words", t(hello), {30, none}, {0, 0, 25, 30}, 0},
      {"narrower, tall enough", t(hello), {30, 40}, {0, 0, 25, 30}, 0},
      {"narrower and one line high: cut", t(hello), {30, 15}, {0, 0, 30, 15}, 1},
      {"a hair short of two lines", t(hello), {30, 29.9}, {0, 0, 30, 15}, 1},
      {"line limit", t(hello).lineLimit(1), {30, none}, {0, 0, 30, 15}, 1},
      {"line limit, no width", t(hello).lineLimit(1), {none, none}, {0, 0, 55, 15}, 1},
      {"line limit of two", t("one two three four").lineLimit(2), {30, none}, {0, 0, 30, 30}, 2},
      {"height for three of four lines", t("one two three four"), {30, 45}, {0, 0, 30, 45}, 3},
      {"word longer than a line", t("abcdefgh"), {20, none}, {0, 0, 20, 30}, 0},
      {"larger font", t("ab", 20), {none, none}, {0, 0, 20, 30}, 0},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeMeasurer measurer;
    Laid l{c.view, {}};
    layOut(l, c.proposal, measurer);
    const Box& text = l.boxes.root;
    ASSERT_EQ(text.kind, BoxKind::text);
    EXPECT_EQ(text.frame, c.frame);
    EXPECT_EQ(text.layoutLines, c.lines);
  }
}

TEST(Engine, VerticalStackAlignsItsChildrenAcross) {
  auto stack = [](HorizontalAlignment a) { return VStack(a, 4, {t("aaaa"), t("bb")}); };
  check({
      {"leading",
       stack(HorizontalAlignment::leading),
       {none, none},
       {{"root", {0, 0, 20, 34}}, {"aaaa", {0, 0, 20, 15}}, {"bb", {0, 19, 10, 15}}}},
      {"center", stack(HorizontalAlignment::center), {none, none}, {{"aaaa", {0, 0, 20, 15}}, {"bb", {5, 19, 10, 15}}}},
      {"trailing",
       stack(HorizontalAlignment::trailing),
       {none, none},
       {{"aaaa", {0, 0, 20, 15}}, {"bb", {10, 19, 10, 15}}}},
      {"more height than needed: no growth without a spacer",
       stack(HorizontalAlignment::leading),
       {100, 100},
       {{"root", {0, 0, 20, 34}}, {"bb", {0, 19, 10, 15}}}},
      {"an absent child adds no spacing",
       VStack(HorizontalAlignment::leading, 4, {t("aaaa"), std::nullopt, t("bb")}),
       {none, none},
       {{"root", {0, 0, 20, 34}}, {"bb", {0, 19, 10, 15}}}},
      {"a group's children join the stack",
       VStack(HorizontalAlignment::leading, 4, {Group({t("aaaa"), t("bb")}), t("c")}),
       {none, none},
       {{"root", {0, 0, 20, 53}}, {"bb", {0, 19, 10, 15}}, {"c", {0, 38, 5, 15}}}},
      {"the width is the children's proposal",
       VStack(HorizontalAlignment::leading, 0, {t("hello world")}),
       {30, none},
       {{"root", {0, 0, 25, 30}}, {"hello world", {0, 0, 25, 30}}}},
      // The one-line text is served first; the other gets the rest and is cut.
      {"less height than wanted",
       VStack(HorizontalAlignment::leading, 0, {t("hello world"), t("x")}),
       {30, 30},
       {{"root", {0, 0, 30, 30}}, {"hello world", {0, 0, 30, 15}}, {"x", {0, 15, 5, 15}}}},
  });
}

TEST(Engine, HorizontalStackAlignsItsChildrenAcross) {
  auto stack = [](VerticalAlignment a) { return HStack(a, 2, {t("aa"), t("b", 20)}); };
  check({
      {"top",
       stack(VerticalAlignment::top),
       {none, none},
       {{"root", {0, 0, 22, 30}}, {"aa", {0, 0, 10, 15}}, {"b", {12, 0, 10, 30}}}},
      {"center",
       stack(VerticalAlignment::center),
       {none, none},
       {{"root", {0, 0, 22, 30}}, {"aa", {0, 7.5, 10, 15}}, {"b", {12, 0, 10, 30}}}},
      {"bottom",
       stack(VerticalAlignment::bottom),
       {none, none},
       {{"root", {0, 0, 22, 30}}, {"aa", {0, 15, 10, 15}}, {"b", {12, 0, 10, 30}}}},
      // Baselines 12.5 and 25 meet at 25.
      {"first text baseline",
       stack(VerticalAlignment::firstTextBaseline),
       {none, none},
       {{"root", {0, 0, 22, 30}}, {"aa", {0, 12.5, 10, 15}}, {"b", {12, 0, 10, 30}}}},
      // Equally flexible: the first is offered half and wraps, the second the rest.
      {"less width than wanted",
       HStack(VerticalAlignment::top, 0, {t("aaaa"), t("bbbb")}),
       {30, none},
       {{"root", {0, 0, 30, 30}}, {"aaaa", {0, 0, 15, 30}}, {"bbbb", {15, 0, 15, 30}}}},
      {"a divider is a hairline as high as offered",
       HStack(VerticalAlignment::center, 0, {t("aa"), Divider(), t("b")}),
       {none, 30},
       {{"root", {0, 0, 16, 30}}, {"aa", {0, 7.5, 10, 15}}, {"divider#0", {10, 0, 1, 30}}, {"b", {11, 7.5, 5, 15}}}},
  });
}

// A text of size 20 ("B", baseline 25) beside a nested stack whose first text
// "c" (size 10, baseline 12.5) must end up on the same baseline: at y 12.5.
TEST(Engine, FirstTextBaselineReachesIntoNestedStacks) {
  auto beside = [](Node inner) {
    return HStack(VerticalAlignment::firstTextBaseline, 0, {t("B", 20), std::move(inner)});
  };
  check({
      // The vertical stack's baseline is its first child's: 12.5; below it hang 17.5.
      {"vertical stack",
       beside(VStack(HorizontalAlignment::leading, 0, {t("c"), t("d")})),
       {none, none},
       {{"root", {0, 0, 15, 42.5}}, {"B", {0, 0, 10, 30}}, {"c", {10, 12.5, 5, 15}}, {"d", {10, 27.5, 5, 15}}}},
      // Centred in a 24-high stack, "c" sits 4.5 down: its baseline is 17.
      {"centred stack",
       beside(HStack(VerticalAlignment::center, 0, {t("c"), t("d", 16)})),
       {none, none},
       {{"root", {0, 0, 23, 32}}, {"c", {10, 12.5, 5, 15}}, {"d", {15, 8, 8, 24}}, {"hstack#1", {10, 8, 13, 24}}}},
      {"top-aligned stack",
       beside(HStack(VerticalAlignment::top, 0, {t("c"), t("d", 16)})),
       {none, none},
       {{"root", {0, 0, 23, 36.5}}, {"c", {10, 12.5, 5, 15}}, {"d", {15, 12.5, 8, 24}}}},
      // Baseline-aligned inside: every text stands on the one baseline.
      {"baseline-aligned stack",
       beside(HStack(VerticalAlignment::firstTextBaseline, 0, {t("c"), t("d", 16)})),
       {none, none},
       {{"root", {0, 0, 23, 30}}, {"c", {10, 12.5, 5, 15}}, {"d", {15, 5, 8, 24}}, {"hstack#1", {10, 5, 13, 24}}}},
      {"padding moves the baseline down",
       beside(t("c").padding(EdgeSet::top(), 4)),
       {none, none},
       {{"root", {0, 0, 15, 30}}, {"padding#0", {10, 8.5, 5, 19}}, {"c", {10, 12.5, 5, 15}}}},
      // A view without text stands on its bottom edge.
      {"no text: the bottom edge",
       HStack(VerticalAlignment::firstTextBaseline, 0, {Circle().frame(8, 8), t("c")}),
       {none, none},
       {{"root", {0, 0, 13, 15}}, {"circle#0", {0, 4.5, 8, 8}}, {"c", {8, 0, 5, 15}}}},
  });
}

TEST(Engine, SpacersTakeWhatIsLeftAndHoldTheirMinimum) {
  const auto center = VerticalAlignment::center;
  const auto longText = [] { return t("aaaaaaaaaa").lineLimit(1); };  // 50 wide
  check({
      {"between two texts",
       HStack(center, 0, {t("aa"), Spacer(), t("b")}),
       {100, none},
       {{"root", {0, 0, 100, 15}}, {"aa", {0, 0, 10, 15}}, {"spacer#0", {10, 7.5, 85, 0}}, {"b", {95, 0, 5, 15}}}},
      {"ideal: the default minimum",
       HStack(center, 0, {t("aa"), Spacer(), t("b")}),
       {none, none},
       {{"root", {0, 0, 23, 15}}, {"spacer#0", {10, 7.5, 8, 0}}, {"b", {18, 0, 5, 15}}}},
      {"ideal: a minimum of zero",
       HStack(center, 0, {t("aa"), Spacer(0), t("b")}),
       {none, none},
       {{"root", {0, 0, 15, 15}}, {"spacer#0", {10, 7.5, 0, 0}}, {"b", {10, 0, 5, 15}}}},
      // The long text is served before the spacer but leaves it its minimum.
      {"a cut text leaves the minimum",
       HStack(center, 0, {longText(), Spacer(20), t("b")}),
       {60, none},
       {{"aaaaaaaaaa", {0, 0, 35, 15}}, {"spacer#0", {35, 7.5, 20, 0}}, {"b", {55, 0, 5, 15}}}},
      {"a cut text leaves the default minimum",
       HStack(center, 0, {longText(), Spacer(), t("b")}),
       {60, none},
       {{"aaaaaaaaaa", {0, 0, 45, 15}}, {"spacer#0", {45, 7.5, 10, 0}}, {"b", {55, 0, 5, 15}}}},
      {"a minimum beyond what is left",
       HStack(VerticalAlignment::top, 0, {t("aaaa"), Spacer(30)}),
       {40, none},
       {{"root", {0, 0, 40, 30}}, {"aaaa", {0, 0, 10, 30}}, {"spacer#0", {10, 0, 30, 0}}}},
      {"two spacers share equally",
       HStack(center, 0, {Spacer(), t("aa"), Spacer()}),
       {50, none},
       {{"spacer#0", {0, 7.5, 20, 0}}, {"aa", {20, 0, 10, 15}}, {"spacer#1", {30, 7.5, 20, 0}}}},
      {"vertical",
       VStack(HorizontalAlignment::leading, 0, {t("aa"), Spacer(), t("b")}),
       {none, 100},
       {{"root", {0, 0, 10, 100}}, {"spacer#0", {0, 15, 0, 70}}, {"b", {0, 85, 5, 15}}}},
  });
}

TEST(Engine, NestedStacksShareTheFlexibleSpace) {
  const auto center = VerticalAlignment::center;
  const auto leading = HorizontalAlignment::leading;
  check({
      // Both halves can grow without end: each is offered half.
      {"two flexible halves",
       HStack(center, 0, {HStack(center, 0, {t("aa"), Spacer()}), HStack(center, 0, {Spacer(), t("b")})}),
       {100, none},
       {{"root", {0, 0, 100, 15}},
        {"aa", {0, 0, 10, 15}},
        {"spacer#0", {10, 7.5, 40, 0}},
        {"spacer#1", {50, 7.5, 45, 0}},
        {"b", {95, 0, 5, 15}}}},
      // The text is less flexible, so it is served first and the nested stack takes the rest.
      {"a text and a flexible stack",
       HStack(center, 0, {t("aaaa"), HStack(center, 0, {Spacer(), t("b")})}),
       {100, none},
       {{"aaaa", {0, 0, 20, 15}}, {"spacer#0", {20, 7.5, 75, 0}}, {"b", {95, 0, 5, 15}}}},
      {"vertical halves",
       VStack(leading, 0, {VStack(leading, 0, {t("a"), Spacer()}), VStack(leading, 0, {t("b"), Spacer()})}),
       {none, 100},
       {{"root", {0, 0, 5, 100}}, {"a", {0, 0, 5, 15}}, {"vstack#1", {0, 0, 5, 50}}, {"b", {0, 50, 5, 15}}}},
  });
}

TEST(Engine, PaddingInsetsItsContent) {
  const EdgeInsets insets{1, 2, 3, 4};  // top, leading, bottom, trailing
  check({
      {"ideal", t("aaaa").padding(insets), {none, none}, {{"root", {0, 0, 26, 19}}, {"aaaa", {2, 1, 20, 15}}}},
      {"the content is offered the proposal less the insets",
       t("aaaa").padding(insets),
       {22, none},
       {{"root", {0, 0, 21, 34}}, {"aaaa", {2, 1, 15, 30}}}},
      {"one edge",
       t("aaaa").padding(EdgeSet::leading(), 6),
       {none, none},
       {{"root", {0, 0, 26, 15}}, {"aaaa", {6, 0, 20, 15}}}},
      {"the height too, less the insets",
       t("hello world").padding(EdgeInsets{5, 0, 5, 0}),
       {30, 30},
       {{"root", {0, 0, 30, 25}}, {"hello world", {0, 5, 30, 15}}}},
      // Modifiers wrap in the order applied.
      {"padding, then frame",
       t("aa").padding(EdgeSet::all(), 2).frame(20, 20),
       {none, none},
       {{"root", {0, 0, 20, 20}}, {"padding#0", {3, 0.5, 14, 19}}, {"aa", {5, 2.5, 10, 15}}}},
      {"frame, then padding",
       t("aa").frame(20, 20).padding(EdgeSet::all(), 2),
       {none, none},
       {{"root", {0, 0, 24, 24}}, {"frame#0", {2, 2, 20, 20}}, {"aa", {7, 4.5, 10, 15}}}},
  });
}

TEST(Engine, FrameFixesItsSizeAndCentresItsContent) {
  check({
      {"both lengths", t("aa").frame(40, 30), {none, none}, {{"root", {0, 0, 40, 30}}, {"aa", {15, 7.5, 10, 15}}}},
      {"whatever is proposed", t("aa").frame(40, 30), {10, 10}, {{"root", {0, 0, 40, 30}}, {"aa", {15, 7.5, 10, 15}}}},
      {"width only", t("aa").frame(40, none), {none, none}, {{"root", {0, 0, 40, 15}}, {"aa", {15, 0, 10, 15}}}},
      {"narrower than the text: it wraps",
       t("aaaaaaaa").frame(20, none),
       {none, none},
       {{"root", {0, 0, 20, 30}}, {"aaaaaaaa", {0, 0, 20, 30}}}},
      {"lower than the text: it is cut",
       t("aa aa").frame(10, 15),
       {none, none},
       {{"root", {0, 0, 10, 15}}, {"aa aa", {0, 0, 10, 15}}}},
      {"a circle takes the frame", Circle().frame(7, 7), {100, 100}, {{"circle#0", {0, 0, 7, 7}}}},
      {"a circle alone takes the proposal", Circle(), {30, 20}, {{"circle#0", {0, 0, 30, 20}}}},
  });
}

TEST(Engine, OverlayTakesItsContentsFrame) {
  const Node row = VStack(HorizontalAlignment::leading, 0, {t("aaaa"), Divider().overlay(Color::white())});
  check({
      {"over a divider",
       row,
       {50, none},
       {{"root", {0, 0, 50, 16}}, {"overlay#0", {0, 15, 50, 1}}, {"divider#0", {0, 15, 50, 1}}}},
      {"over a text",
       t("aa").overlay(Color::white()),
       {none, none},
       {{"overlay#0", {0, 0, 10, 15}}, {"aa", {0, 0, 10, 15}}}},
  });
  // A hairline is one pixel: half a point at scale 2.
  check({{"at scale 2", row, {50, none}, {{"root", {0, 0, 50, 15.5}}, {"divider#0", {0, 15, 50, 0.5}}}}}, 2);
}

// Cells here fill their columns, so where a narrower cell would sit in its
// column does not enter.
TEST(Engine, GridSharesTheWidthAmongFlexibleColumns) {
  const auto leading = HorizontalAlignment::leading;
  const GridItem flexible;
  check({
      // (100 - 2 gaps of 8) / 3 = 28 per column; rows 4 apart.
      {"three columns",
       LazyVGrid({flexible, flexible, flexible}, leading, 4, {Circle(), Circle(), Circle(), Circle(), Circle()}),
       {100, none},
       {{"root", {0, 0, 100, 24}},
        {"circle#0", {0, 0, 28, 10}},
        {"circle#1", {36, 0, 28, 10}},
        {"circle#2", {72, 0, 28, 10}},
        {"circle#3", {0, 14, 28, 10}},
        {"circle#4", {36, 14, 28, 10}}}},
      {"a column's own spacing",
       LazyVGrid({GridItem{10, kInfinity, 2.0, std::nullopt}, flexible}, leading, 0, {Circle(), Circle()}),
       {50, none},
       {{"root", {0, 0, 50, 10}}, {"circle#0", {0, 0, 24, 10}}, {"circle#1", {26, 0, 24, 10}}}},
      {"no narrower than the minimum",
       LazyVGrid({column(30, kInfinity), column(30, kInfinity)}, leading, 0, {Circle(), Circle()}),
       {50, none},
       {{"root", {0, 0, 68, 10}}, {"circle#1", {38, 0, 30, 10}}}},
      {"no wider than the maximum",
       LazyVGrid({column(10, 40), column(10, 40)}, leading, 0, {Circle(), Circle()}),
       {200, none},
       {{"root", {0, 0, 88, 10}}, {"circle#1", {48, 0, 40, 10}}}},
      // A row is as high as its tallest cell; the others are centred in it.
      {"rows",
       LazyVGrid({flexible, flexible}, leading, 2, {Circle(), Circle().frame(none, 20), Circle()}),
       {50, none},
       {{"root", {0, 0, 50, 32}},
        {"circle#0", {0, 5, 21, 10}},
        {"circle#1", {29, 0, 21, 20}},
        {"circle#2", {0, 22, 21, 10}}}},
      {"a text wraps at its column",
       LazyVGrid({flexible, flexible}, leading, 0, {t("aaaaaaaa"), Circle()}),
       {48, none},
       {{"root", {0, 0, 48, 30}}, {"aaaaaaaa", {0, 0, 20, 30}}, {"circle#0", {28, 10, 20, 10}}}},
  });
}

// Nested stacks ask their children about several proposals each, and ask
// again when placing; the answers remembered per box keep the questions a
// text is asked the same however deep it sits.
TEST(Engine, EachBoxAnswersAProposalOnce) {
  FakeMeasurer measurer;
  Laid l{t("aa"), {}};
  l.boxes = buildBoxes(l.view, Environment{});
  LayoutEngine engine(measurer, 1);
  EXPECT_EQ(engine.size(l.boxes.root, {30, none}), (Size{10, 15}));
  EXPECT_EQ(engine.size(l.boxes.root, {30, none}), (Size{10, 15}));
  EXPECT_EQ(measurer.timesAsked("aa"), 1);
  engine.size(l.boxes.root, {40, none});
  EXPECT_EQ(measurer.timesAsked("aa"), 2);

  auto nested = [](int depth) {
    Node n = HStack(VerticalAlignment::center, 0, {t("aa"), Spacer()});
    for (int i = 1; i < depth; ++i) n = HStack(VerticalAlignment::center, 0, {std::move(n)});
    return n;
  };
  auto widthsAsked = [](const FakeMeasurer& m) {
    std::set<std::optional<double>> widths;
    for (const auto& q : m.asked) widths.insert(q.width);
    return widths;
  };
  FakeMeasurer shallow, deep;
  Laid one{nested(1), {}}, five{nested(5), {}};
  layOut(one, {100, none}, shallow);
  layOut(five, {100, none}, deep);
  EXPECT_EQ(textBox(five.boxes.root, "aa").frame, (Rect{0, 0, 10, 15}));
  EXPECT_EQ(deep.timesAsked("aa"), shallow.timesAsked("aa"));
  // The least (0), the most (no width) and what it is finally offered.
  EXPECT_EQ(widthsAsked(deep), (std::set<std::optional<double>>{0.0, none, 92.0}));
}

}  // namespace
}  // namespace corvane
