#include "platform/ui/layout/stack_share.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace corvane {
namespace {

// A child that takes what it is offered between a least and a most length.
struct Child {
  double least, most;
  bool spacer = false;
};

struct Case {
  const char* name;
  double available;
  std::vector<Child> children;
  std::vector<double> expected;
  std::vector<std::size_t> offerOrder;
};

TEST(StackShare, LeastFlexibleFirstAndSpacersLast) {
  const std::vector<Case> cases = {
      {"fixed children take their length", 100, {{10, 10}, {20, 20}}, {10, 20}, {0, 1}},
      {"two equal flexible children split evenly", 100, {{0, 1000}, {0, 1000}}, {50, 50}, {0, 1}},
      {"the less flexible is served first", 100, {{0, 1000}, {0, 30}}, {70, 30}, {1, 0}},
      {"a spacer takes what is left", 100, {{0, 30}, {4, 1e300, true}, {20, 20}}, {30, 50, 20}, {2, 0, 1}},
      {"a long text leaves the spacer its minimum",
       100,
       {{0, 500}, {4, 1e300, true}, {20, 20}},
       {76, 4, 20},
       {2, 0, 1}},
      {"two spacers share equally", 100, {{8, 1e300, true}, {10, 10}, {8, 1e300, true}}, {45, 10, 45}, {1, 0, 2}},
      {"nothing left: spacers keep their minimum", 10, {{20, 20}, {4, 1e300, true}}, {20, 4}, {0, 1}},
      {"no children", 50, {}, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<ShareItem> items;
    for (const Child& ch : c.children)
      items.push_back({ch.spacer ? 1e300 : ch.most - ch.least, ch.spacer, ch.spacer ? ch.least : 0});
    std::vector<std::size_t> order;
    auto lengths = shareLength(c.available, items, [&](std::size_t i, double offer) {
      order.push_back(i);
      return std::clamp(offer, c.children[i].least, c.children[i].most);
    });
    EXPECT_EQ(lengths, c.expected);
    EXPECT_EQ(order, c.offerOrder);
  }
}

}  // namespace
}  // namespace corvane
