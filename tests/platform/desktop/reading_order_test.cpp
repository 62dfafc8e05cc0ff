// What a screen reader reads: the texts of a laid-out widget in reading order.

#include "platform/desktop/reading_order.hpp"

#include <gtest/gtest.h>

namespace corvane {
namespace {

Box text(std::string s, Rect frame = {0, 0, 40, 12}) {
  Box b;
  b.kind = BoxKind::text;
  b.text = std::move(s);
  b.frame = frame;
  return b;
}

// Boxes own their lazily built items, so they move but do not copy.
template <class... Children>
Box stack(BoxKind kind, Children&&... children) {
  Box b;
  b.kind = kind;
  (b.children.push_back(std::forward<Children>(children)), ...);
  return b;
}

TEST(ReadingOrder, TextsInTheTreesOrderWithoutBlankOrCutTexts) {
  struct Case {
    const char* name;
    Box root;
    std::string want;
  } cases[] = {
      {"empty", stack(BoxKind::vstack), ""},
      {"one", text("CORVANE"), "CORVANE"},
      {"header then rows",
       stack(BoxKind::vstack, stack(BoxKind::hstack, text("CORVANE"), text("2 min, 5 sec")),
             stack(BoxKind::hstack, text("@harbor_lantern"), text("0/30")), text("Needs you")),
       "CORVANE, 2 min, 5 sec, @harbor_lantern, 0/30, Needs you"},
      {"blank texts left out", stack(BoxKind::hstack, text(" "), text("a"), text(""), text("\t\n"), text("b")), "a, b"},
      {"texts cut to nothing left out",
       stack(BoxKind::vstack, text("shown"), text("no width", {0, 0, 0, 12}), text("no height", {0, 0, 40, 0})),
       "shown"},
      {"deep nesting keeps order",
       stack(BoxKind::vstack,
             stack(BoxKind::padding, stack(BoxKind::hstack, text("1"), stack(BoxKind::vstack, text("2"), text("3")))),
             text("4")),
       "1, 2, 3, 4"},
  };
  for (Case& c : cases) {
    BoxTree tree;
    tree.root = std::move(c.root);
    EXPECT_EQ(readingOrderText(tree), c.want) << c.name;
  }
}

}  // namespace
}  // namespace corvane
