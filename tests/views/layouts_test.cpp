// SmallView, Empty, AccountRow and ListView.

#include <gtest/gtest.h>

#include <cstdint>

#include "data/store.hpp"
#include "kit/pinned.hpp"
#include "kit/tree_query.hpp"
#include "views/account_row.hpp"
#include "views/empty.hpp"
#include "views/list_view.hpp"
#include "views/small_view.hpp"

namespace corvane {
namespace {

using namespace corvane::testing;

Environment pinned() { return pinnedEnvironment(WidgetFamily::systemSmall, 1000); }

TEST(SmallView, ActivityTextsFollowTheCounts) {
  struct Case {
    std::int64_t replies, needs;
    std::vector<std::string> activity;
  };
  const std::vector<Case> cases = {
      {1, 1, {"1 reply", "1 needs you"}},
      {0, 0, {"0 replies"}},
      {2, 2, {"2 replies", "2 need you"}},
      {-1, -1, {"-1 replies"}},
      {INT64_MAX, INT64_MAX, {"9223372036854775807 replies", "9223372036854775807 need you"}},
      {INT64_MIN, INT64_MIN, {"-9223372036854775808 replies"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.replies);
    Snapshot d = Store::makeSample(1000);
    d.replies = c.replies;
    d.needs = c.needs;
    Node tree = compose(SmallView{d}, pinned());
    const Node& stack = onlyChild(tree);
    ASSERT_EQ(stack.children.size(), 7u);
    const Node& activity = stack.children[5];
    EXPECT_EQ(texts(activity), c.activity);
    EXPECT_EQ(modifier<LineLimit>(activity)->lines, 1);
    EXPECT_EQ(colorName(activity.children[0]), "cvRep");
    if (c.activity.size() == 2) {
      EXPECT_EQ(colorName(activity.children[1]), "cvErr");
    }
  }
}

TEST(SmallView, CountLineAndCaption) {
  struct Case {
    std::int64_t dms;
    std::optional<std::int64_t> cap;
    std::vector<std::string> reads;
  };
  const std::vector<Case> cases = {
      {18, 70, {"18", "/70"}},
      {18, std::nullopt, {"18"}},
      {5, 0, {"5", "/0"}},
      {1234, 50, {"1234", "/50"}},
      {-4, std::nullopt, {"-4"}},
      {INT64_MIN, INT64_MAX, {"-9223372036854775808", "/9223372036854775807"}},
      {INT64_MAX, INT64_MIN, {"9223372036854775807", "/-9223372036854775808"}},
  };
  for (const auto& c : cases) {
    Snapshot d = Store::makeSample(1000);
    d.dms = c.dms;
    d.cap = c.cap;
    Node tree = compose(SmallView{d}, pinned());
    const Node& stack = onlyChild(tree);
    const Node& count = stack.children[2];
    EXPECT_EQ(count.vAlignment, VerticalAlignment::firstTextBaseline);
    EXPECT_EQ(texts(count), c.reads);
    EXPECT_EQ(modifier<FontModifier>(count.children[0])->font, Font::system(38, FontWeight::bold));
    EXPECT_EQ(stack.children[3].text.kind, TextKind::key);
    EXPECT_EQ(stack.children[3].text.string, "DMs sent");
    EXPECT_EQ(stack.children[1].minLength, 4);
    EXPECT_EQ(stack.children[4].minLength, 4);
    EXPECT_EQ(stack.children[6].viewName, "Updated");
    // The header carries no time; the Updated line at the bottom does.
    EXPECT_EQ(view(stack.children[0], "Updated"), nullptr);
  }
}

TEST(Empty, MessageBetweenTwoEqualSpacers) {
  for (std::string text : {"", "Open Corvane once to fill this widget.", "100 %lld"}) {
    Node tree = compose(Empty{text}, pinned());
    const Node& stack = onlyChild(tree);
    ASSERT_EQ(stack.children.size(), 4u);
    EXPECT_EQ(stack.spacing, 6);
    EXPECT_EQ(stack.children[1].type, NodeType::spacer);
    EXPECT_FALSE(stack.children[1].minLength);
    EXPECT_EQ(stack.children[3].type, NodeType::spacer);
    EXPECT_EQ(stack.children[2].text.kind, TextKind::verbatim);
    EXPECT_EQ(renderText(stack.children[2].text, {}), text);
    EXPECT_EQ(modifier<LineLimit>(stack.children[2]), nullptr);
    EXPECT_EQ(view(stack, "Updated"), nullptr);
  }
}

TEST(AccountRow, ChildrenFollowStateAndPlan) {
  struct Case {
    const char* name;
    Account a;
    bool withPlan;
    std::size_t children;
    std::string noteColor;
  };
  const std::vector<PlanCell> plan{{"Feed", "9/9", "full"}};
  const std::vector<Case> cases = {
      {"err with plan", {"h", "err", 0, 30, "Needs you", plan}, true, 3, "cvErr"},
      {"run without asking", {"h", "run", 0, 30, "x", plan}, false, 2, "cvSub"},
      {"empty plan", {"h", "run", 0, 30, "x", {}}, true, 2, "cvSub"},
      {"ERR is not err", {"h", "ERR", 0, 30, "x", {}}, true, 2, "cvSub"},
      {"errand is not err", {"h", "errand", 0, 30, "x", {}}, true, 2, "cvSub"},
      {"empty note stays", {"", "err", 0, std::nullopt, "", {}}, false, 2, "cvErr"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Node tree = compose(AccountRow{c.a, c.withPlan}, pinned());
    const Node& stack = onlyChild(tree);
    ASSERT_EQ(stack.children.size(), c.children);
    EXPECT_EQ(stack.spacing, 2);
    const Node& line = stack.children[0];
    ASSERT_EQ(line.children.size(), 5u);
    EXPECT_EQ(line.spacing, 6);
    EXPECT_EQ(renderText(line.children[1].text, {}), "@" + c.a.u);
    EXPECT_EQ(modifier<LineLimit>(line.children[1])->lines, 1);
    EXPECT_EQ(line.children[2].minLength, 4);
    EXPECT_EQ(line.children[3].viewName, "DmCount");
    EXPECT_EQ(line.children[4].text.string, "DM");
    const Node& note = stack.children[1];
    EXPECT_EQ(colorName(note), c.noteColor);
    EXPECT_EQ(modifier<Padding>(note)->insets.leading, 13);
    if (c.children == 3) {
      const Node& grid = stack.children[2];
      EXPECT_EQ(grid.viewName, "PlanGrid");
      ASSERT_EQ(grid.modifiers.size(), 2u);
      EXPECT_EQ(std::get<Padding>(grid.modifiers[0]).insets.leading, 13);
      EXPECT_EQ(std::get<Padding>(grid.modifiers[1]).insets.top, 1);
    }
  }
}

Snapshot withAccounts(int n) {
  Snapshot d = Store::makeSample(1000);
  d.accounts.clear();
  for (int i = 0; i < n; ++i) d.accounts.push_back({"a" + std::to_string(i), "run", i, 10, "note", {}});
  return d;
}

TEST(ListView, RowsDividersAndOverflow) {
  struct Case {
    int accounts;
    std::int64_t max;
    std::size_t rows, dividers;
    std::optional<std::string> overflow;
  };
  const std::vector<Case> cases = {
      {0, 3, 0, 0, std::nullopt},         {1, 3, 1, 0, std::nullopt},
      {3, 3, 3, 2, std::nullopt},         {6, 4, 4, 3, "2 more in the app"},
      {6, 3, 3, 2, "3 more in the app"},  {2, 0, 0, 0, "2 more in the app"},
      {2, -1, 0, 0, "2 more in the app"}, {2, INT64_MIN, 0, 0, "2 more in the app"},
      {2, INT64_MAX, 2, 1, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.accounts) + " accounts, max " + std::to_string(c.max));
    Node tree = compose(ListView{withAccounts(c.accounts), "Today's plan", c.max, false}, pinned());
    const Node& stack = onlyChild(tree);
    EXPECT_EQ(stack.spacing, 7);
    EXPECT_EQ(views(tree, "AccountRow").size(), c.rows);
    auto dividers = ofType(tree, NodeType::divider);
    EXPECT_EQ(dividers.size(), c.dividers);
    for (const Node* d : dividers) {
      const Overlay* o = modifier<Overlay>(*d);
      ASSERT_NE(o, nullptr);
      EXPECT_EQ(o->color, Color::white().withOpacity(0.08));
      EXPECT_EQ(o->ignoresSafeAreaEdges, EdgeSet::all());
    }
    const Node* overflow = c.overflow ? textReading(tree, *c.overflow) : nullptr;
    EXPECT_EQ(overflow != nullptr, c.overflow.has_value());
    if (overflow) {
      EXPECT_EQ(colorName(*overflow), "cvMuted");
    }
    EXPECT_EQ(stack.children.back().type, NodeType::spacer);
    EXPECT_EQ(stack.children.back().minLength, 0);
    EXPECT_EQ(stack.children.size(), 3u + (c.overflow ? 1 : 0));  // header, rows, [overflow], spacer
    // The header always has a time, and the title reaches it unchanged.
    const Node* header = view(tree, "Header");
    EXPECT_NE(view(*header, "Updated"), nullptr);
    EXPECT_NE(textReading(*header, "Today's plan"), nullptr);
  }
}

TEST(ListView, AnAccountEqualToTheLastShownGetsNoDivider) {
  Snapshot d = withAccounts(0);
  Account twin{"same", "run", 1, 2, "n", {}};
  d.accounts = {twin, {"other", "run", 1, 2, "n", {}}, twin};
  Node tree = compose(ListView{d, "Corvane", 3, false}, pinned());
  const Node& rows = onlyChild(tree).children[1];
  ASSERT_EQ(rows.elements.size(), 3u);
  EXPECT_EQ(rows.elements[0].content.size(), 1u);
  EXPECT_EQ(rows.elements[1].content.size(), 2u);
  EXPECT_EQ(rows.elements[2].content.size(), 1u);
  EXPECT_EQ(rows.elements[0].id, rows.elements[2].id);
}

}  // namespace
}  // namespace corvane
