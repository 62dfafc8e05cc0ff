#include "platform/ui/tree/tree_compare.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace corvane {
namespace {

// A small widget-like tree: a title, a relative time and a lazy list whose
// element i reads `cells[i]`. `made` elements are made in the shown tree, as
// a container asking for them would.
struct Shape {
  std::string title = "Today's plan";
  Color ink = Color::hex(0xe8e6e3);
  double at = 1000;
  std::vector<std::string> cells = {"a", "b", "c", "d"};
  std::string id = "x";
};

Node build(const Shape& s) {
  auto cells = s.cells;
  auto id = s.id;
  return VStack(HorizontalAlignment::leading, 4,
                {
                    HStack(VerticalAlignment::center, 5,
                           {Text::verbatim(s.title).foregroundStyle(s.ink).lineLimit(1), Spacer(4),
                            Text::relative(Date{s.at}).font(Font::system(9.5))}),
                    ForEach(cells.size(),
                            [cells, id](std::size_t i) {
                              return ForEachElement{ElementId(id + std::to_string(i)), {Text::verbatim(cells[i])}};
                            }),
                });
}

TEST(TreeCompare, AFreshTreeDrawsTheSameExactlyWhenNothingVisibleDiffers) {
  struct Case {
    const char* name;
    std::function<void(Shape&)> change;
    bool same;
  };
  const std::vector<Case> cases = {
      {"built again from the same values", [](Shape&) {}, true},
      {"another title", [](Shape& s) { s.title = "Corvane"; }, false},
      {"another colour", [](Shape& s) { s.ink = Color::hex(0x8e8a85); }, false},
      {"a relative time from another date", [](Shape& s) { s.at = 1001; }, false},
      {"a made element reads differently", [](Shape& s) { s.cells[1] = "B"; }, false},
      {"an element never made reads differently", [](Shape& s) { s.cells[3] = "D"; }, true},
      {"one element more", [](Shape& s) { s.cells.push_back("e"); }, false},
      {"other element ids", [](Shape& s) { s.id = "y"; }, true},
  };
  for (const Case& c : cases) {
    const Node shown = build(Shape{});
    const ForEachElements& elements = shown.children[1].elements;
    (void)elements[0], (void)elements[1];  // what a container laid out
    Shape changed;
    c.change(changed);
    EXPECT_EQ(drawsTheSame(shown, build(changed)), c.same) << c.name;
  }
}

}  // namespace
}  // namespace corvane
