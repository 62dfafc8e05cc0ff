// Dot, Header/Updated and DmCount: the small building blocks of the rows.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "kit/pinned.hpp"
#include "kit/tree_query.hpp"
#include "views/dm_count.hpp"
#include "views/dot.hpp"
#include "views/header.hpp"

namespace corvane {
namespace {

using namespace corvane::testing;

Environment at(double now) { return pinnedEnvironment(WidgetFamily::systemSmall, now); }

TEST(Dot, ColourFollowsTheExactStateWord) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"run", "cvRun"},   {"err", "cvErrDot"}, {"RUN", "cvIdle"}, {"run ", "cvIdle"},
      {" err", "cvIdle"}, {"error", "cvIdle"}, {"", "cvIdle"},    {"idle", "cvIdle"},
  };
  for (const auto& [state, color] : cases) {
    SCOPED_TRACE(state);
    Node dot = Dot{state}.body({});
    EXPECT_EQ(dot.type, NodeType::circle);
    EXPECT_EQ(colorName(dot), color);
    const Frame* frame = modifier<Frame>(dot);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->width, 7);
    EXPECT_EQ(frame->height, 7);
  }
}

TEST(Header, FreshnessLineIsPresentOnlyWithATime) {
  Node without = compose(Header{"Today", std::nullopt}, at(1000));
  EXPECT_EQ(view(without, "Updated"), nullptr);
  EXPECT_EQ(onlyChild(without).children.size(), 3u);  // icon, title, spacer

  Node with = compose(Header{"Today", 1000.0}, at(1000));
  const Node& stack = onlyChild(with);
  ASSERT_EQ(stack.children.size(), 4u);
  EXPECT_EQ(stack.children[2].type, NodeType::spacer);
  EXPECT_EQ(stack.children[2].minLength, 4);
  EXPECT_EQ(stack.children[3].viewName, "Updated");
  const Node& title = stack.children[1];
  EXPECT_EQ(title.text.kind, TextKind::verbatim);
  EXPECT_EQ(modifier<TextCaseModifier>(title)->textCase, TextCase::uppercase);
  EXPECT_EQ(modifier<LineLimit>(title)->lines, 1);
  EXPECT_EQ(stack.children[0].systemName, "paperplane.fill");
  EXPECT_EQ(colorName(stack.children[0]), "cvBrand");
}

TEST(Updated, TurnsStaleStrictlyAfterFifteenMinutes) {
  struct Case {
    double age;
    Branch branch;
    std::string color;
    std::string reads;
  };
  const double written = 1765208700;  // 15:45 UTC
  const std::vector<Case> cases = {
      {0, Branch::second, "cvMuted", "0 sec"},
      {900, Branch::second, "cvMuted", "15 min"},
      {900.001, Branch::first, "cvErr", "not updated since 3:45\u202FPM"},
      {-3600, Branch::second, "cvMuted", "1 hr"},  // written in the future
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.age);
    Environment env = at(written + c.age);
    Node n = Updated{written}.body(env);
    EXPECT_EQ(n.branch, c.branch);
    const Node& text = onlyChild(n);
    EXPECT_EQ(colorName(text), c.color);
    EXPECT_EQ(modifier<FontModifier>(text)->font, Font::system(9.5));
    EXPECT_EQ(modifier<LineLimit>(text)->lines, 1);
    EXPECT_EQ(renderText(text.text, env), c.reads);
  }
  Environment env = at(5000);
  EXPECT_EQ(renderText(onlyChild(Updated{0}.body(env)).text, env), "not updated since 12:00\u202FAM");
}

// Any double a snapshot holds picks one line; future times count down and
// times past the calendar read from its edge.
TEST(Updated, AnyTimeGivesADefinedLine) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double at;
    Branch branch;
    std::string reads;
  };
  const std::vector<Case> cases = {
      {1e308, Branch::second, "2,128,245,413 days, 8 hr"},
      {inf, Branch::second, "2,128,245,413 days, 8 hr"},
      {9223372036854775807.0, Branch::second, "2,128,245,413 days, 8 hr"},
      {-1e308, Branch::first, "not updated since 12:00\u202FAM"},
      {-inf, Branch::first, "not updated since 12:00\u202FAM"},
      {-9223372036854775808.0, Branch::first, "not updated since 12:00\u202FAM"},
      {std::numeric_limits<double>::quiet_NaN(), Branch::first, "not updated since 12:00\u202FAM"},
      {std::numeric_limits<double>::denorm_min(), Branch::first, "not updated since 12:00\u202FAM"},
      {-0.0, Branch::first, "not updated since 12:00\u202FAM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.at);
    Environment env = at(kSampleTime);
    Node n = Updated{c.at}.body(env);
    EXPECT_EQ(n.branch, c.branch);
    EXPECT_EQ(renderText(onlyChild(n).text, env), c.reads);
  }
}

TEST(DmCount, CountAndOptionalCapInMonospacedFigures) {
  struct Case {
    std::int64_t dms;
    std::optional<std::int64_t> cap;
    std::vector<std::string> reads;
  };
  const std::vector<Case> cases = {
      {0, std::nullopt, {"0"}},
      {7, 40, {"7", "/40"}},
      {45, 40, {"45", "/40"}},
      {3, 0, {"3", "/0"}},
      {-2, std::nullopt, {"-2"}},
      {1234567, 10, {"1234567", "/10"}},
      {INT64_MAX, INT64_MIN, {"9223372036854775807", "/-9223372036854775808"}},
      {INT64_MIN, INT64_MAX, {"-9223372036854775808", "/9223372036854775807"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dms);
    Node n = DmCount{c.dms, c.cap}.body({});
    EXPECT_EQ(n.spacing, 0);
    EXPECT_EQ(texts(n), c.reads);
    EXPECT_EQ(modifier<FontModifier>(n.children[0])->font,
              Font::system(12.5, FontWeight::semibold, FontDesign::monospaced));
    EXPECT_EQ(colorName(n.children[0]), "cvInk");
    if (c.cap) {
      EXPECT_EQ(modifier<FontModifier>(n.children[1])->font,
                Font::system(12.5, FontWeight::medium, FontDesign::monospaced));
      EXPECT_EQ(colorName(n.children[1]), "cvMuted");
    }
  }
  Node big = DmCount{1, 2, 20}.body({});
  EXPECT_EQ(modifier<FontModifier>(big.children[0])->font.size, 20);
  EXPECT_EQ(modifier<FontModifier>(big.children[1])->font.size, 20);
}

}  // namespace
}  // namespace corvane
