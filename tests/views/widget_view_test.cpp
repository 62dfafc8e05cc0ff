#include "views/widget_view.hpp"

#include <gtest/gtest.h>

#include "data/store.hpp"
#include "kit/golden.hpp"
#include "kit/pinned.hpp"
#include "kit/tree_query.hpp"
#include "platform/ui/tree/tree_dump.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

using namespace corvane::testing;

Environment drawing(WidgetFamily family) { return pinnedEnvironment(family); }

std::optional<Snapshot> withAccounts(int n, bool connected = true) {
  Snapshot d = Store::makeSample(1765208700);
  d.connected = connected;
  const Account model = d.accounts[1];
  d.accounts.assign(static_cast<std::size_t>(n), model);
  for (int i = 0; i < n; ++i) d.accounts[static_cast<std::size_t>(i)].u = "acct" + std::to_string(i);
  return d;
}

TEST(WidgetView, DispatchByDataAndFamily) {
  struct Case {
    const char* name;
    std::optional<Snapshot> data;
    WidgetFamily family;
    std::string view;
    std::vector<Branch> branches;
    std::string reads;  // a text the outcome must show
  };
  using enum WidgetFamily;
  using B = Branch;
  const std::vector<Case> cases = {
      {"no data, large", std::nullopt, systemLarge, "Empty", {B::second}, "Open Corvane once to fill this widget."},
      {"no data, small", std::nullopt, systemSmall, "Empty", {B::second}, "Open Corvane once to fill this widget."},
      {"disconnected with accounts",
       withAccounts(3, false),
       systemMedium,
       "Empty",
       {B::first, B::first, B::first},
       "Open Corvane and connect this Mac."},
      {"disconnected, no accounts",
       withAccounts(0, false),
       systemSmall,
       "Empty",
       {B::first, B::first, B::first},
       "Open Corvane and connect this Mac."},
      {"no accounts",
       withAccounts(0),
       systemLarge,
       "Empty",
       {B::first, B::first, B::second},
       "No accounts yet. Add one in Corvane."},
      {"small", withAccounts(6), systemSmall, "SmallView", {B::first, B::second, B::first, B::first}, "DMs sent"},
      {"medium",
       withAccounts(6),
       systemMedium,
       "ListView",
       {B::first, B::second, B::first, B::second},
       "3 more in the app"},
      {"large", withAccounts(6), systemLarge, "ListView", {B::first, B::second, B::second}, "2 more in the app"},
      {"extra large is large",
       withAccounts(6),
       systemExtraLarge,
       "ListView",
       {B::first, B::second, B::second},
       "2 more in the app"},
      {"accessory is large",
       withAccounts(6),
       accessoryInline,
       "ListView",
       {B::first, B::second, B::second},
       "Today's plan"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Environment env = drawing(c.family);
    Node tree = compose(WidgetView{Entry{Date{1765208700}, c.data}}, env);
    const Node& group = onlyChild(tree);
    ASSERT_EQ(group.type, NodeType::group);
    const auto* bg = modifier<ContainerBackground>(group);
    ASSERT_NE(bg, nullptr);
    EXPECT_EQ(bg->color.name, "cvBg");
    EXPECT_EQ(branchPath(group), c.branches);
    EXPECT_NE(view(tree, c.view), nullptr);
    EXPECT_NE(textReading(tree, c.reads, env), nullptr);
  }
}

TEST(WidgetView, MediumAndLargeRowsAndPlans) {
  Environment medium = drawing(WidgetFamily::systemMedium), large = drawing(WidgetFamily::systemLarge);
  Node m = compose(WidgetView{Entry{Date{0}, withAccounts(6)}}, medium);
  Node l = compose(WidgetView{Entry{Date{0}, withAccounts(6)}}, large);
  EXPECT_EQ(views(m, "AccountRow").size(), 3u);
  EXPECT_EQ(views(m, "PlanGrid").size(), 0u);
  EXPECT_NE(textReading(m, "Corvane"), nullptr);
  EXPECT_EQ(views(l, "AccountRow").size(), 4u);
  EXPECT_EQ(views(l, "PlanGrid").size(), 4u);
}

TEST(TodayWidget, DeclaresOneWidgetForThreeFamilies) {
  auto widgets = CorvaneWidgets{}.body();
  ASSERT_EQ(widgets.size(), 1u);
  TodayConfiguration config = widgets[0].body();
  EXPECT_EQ(config.kind, "com.corvane.desktop.today");
  EXPECT_EQ(config.displayName, "Corvane today");
  EXPECT_EQ(config.descriptionText, "Today's DMs, replies and each account's plan.");
  EXPECT_EQ(config.families, (std::vector<WidgetFamily>{WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                                                        WidgetFamily::systemLarge}));
  // The same entry in two families gives two layouts: the family comes from
  // the environment at drawing time.
  WidgetView v = config.content(Entry{Date{0}, Store::makeSample(1765208700)});
  EXPECT_NE(view(compose(v, drawing(WidgetFamily::systemSmall)), "SmallView"), nullptr);
  EXPECT_NE(view(compose(v, drawing(WidgetFamily::systemLarge)), "ListView"), nullptr);
}

TEST(WidgetView, SampleTreesMatchTheirGoldens) {
  for (WidgetFamily f : {WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge}) {
    SCOPED_TRACE(familyName(f));
    Environment env = drawing(f);
    env.clock = fixedClock(Date{1765208700 + 674});
    Node tree = compose(WidgetView{Entry{Date{1765208700}, Store::makeSample(1765208700)}}, env);
    JsonWriter out;
    dumpTree(out, tree, env);
    expectGolden("views/goldens/sample-" + std::string(familyShortName(f)) + ".json", prettyJson(out.str()));
  }
}

}  // namespace
}  // namespace corvane
