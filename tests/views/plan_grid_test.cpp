#include "views/plan_grid.hpp"

#include <gtest/gtest.h>

#include "kit/tree_query.hpp"

namespace corvane {
namespace {

using namespace corvane::testing;

TEST(PlanGrid, ThreeFlexibleColumnsFilledInOrder) {
  Node grid = PlanGrid{{{"A", "1", ""}, {"B", "2", ""}, {"C", "3", ""}, {"D", "4", ""}}}.body({});
  ASSERT_EQ(grid.type, NodeType::lazyVGrid);
  ASSERT_EQ(grid.columns.size(), 3u);
  for (const GridItem& c : grid.columns) {
    EXPECT_EQ(c.minimum, 10);
    EXPECT_EQ(c.maximum, kInfinity);
    EXPECT_EQ(c.spacing, 10);
    EXPECT_FALSE(c.alignment);
  }
  EXPECT_EQ(grid.spacing, 2);
  EXPECT_EQ(grid.hAlignment, HorizontalAlignment::leading);
  EXPECT_EQ(texts(grid), (std::vector<std::string>{"A", "1", "B", "2", "C", "3", "D", "4"}));
  const Node& each = grid.children.at(0);
  ASSERT_EQ(each.elements.size(), 4u);
  EXPECT_EQ(each.elements[0].id, R"({"n":"A","v":"1","s":""})");

  Node empty = PlanGrid{{}}.body({});
  EXPECT_TRUE(ofType(empty, NodeType::text).empty());
}

TEST(PlanGrid, StateColoursLabelAndValue) {
  struct Case {
    std::string state, label, value;
  };
  const std::vector<Case> cases = {
      {"full", "cvOk", "cvOk"},   {"off", "cvMuted", "cvMuted"}, {"zero", "cvSub", "cvMuted"}, {"", "cvSub", "cvInk"},
      {"Full", "cvSub", "cvInk"}, {" off", "cvSub", "cvInk"},    {"zero ", "cvSub", "cvInk"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("state '" + c.state + "'");
    Node grid = PlanGrid{{{"Feed", "%lld", c.state}}}.body({});
    const Node& cell = grid.children[0].elements[0].content[0];
    ASSERT_EQ(cell.type, NodeType::hstack);
    EXPECT_EQ(cell.spacing, 3);
    ASSERT_EQ(cell.children.size(), 3u);
    const Node& label = cell.children[0];
    const Node& value = cell.children[2];
    EXPECT_EQ(colorName(label), c.label);
    EXPECT_EQ(colorName(value), c.value);
    EXPECT_EQ(modifier<LineLimit>(label)->lines, 1);
    EXPECT_EQ(modifier<LineLimit>(value), nullptr);
    EXPECT_EQ(cell.children[1].minLength, 2);
    EXPECT_EQ(modifier<FontModifier>(value)->font, Font::system(10, FontWeight::semibold, FontDesign::monospaced));
    EXPECT_EQ(renderText(value.text, {}), "%lld");  // verbatim, never formatted
  }
}

}  // namespace
}  // namespace corvane
