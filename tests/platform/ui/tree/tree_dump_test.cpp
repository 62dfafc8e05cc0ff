// The dump reads texts as the drawing does.

#include "platform/ui/tree/tree_dump.hpp"

#include <gtest/gtest.h>

#include "platform/ui/layout/layout_box.hpp"

namespace corvane {
namespace {

Environment english() {
  Environment env;
  env.clock = fixedClock(Date{1765208700});
  env.locale = "en_US";
  env.timeZone = "UTC";
  return env;
}

std::string dumped(const Node& n) {
  JsonWriter out;
  dumpTree(out, n, english());
  return out.take();
}

std::string drawn(const Node& n) {
  BoxTree boxes = buildBoxes(n, english());
  const Box* b = &boxes.root;
  while (b->kind != BoxKind::text) b = &b->children.front();
  return b->text;
}

TEST(TreeDump, TheTextCaseAppliedFirstWinsAsInTheDrawing) {
  struct Case {
    const char* name;
    Node tree;
    std::string reads;
  };
  std::vector<Case> cases;
  cases.push_back(
      {"on the text", Text::verbatim("Mixed").textCase(TextCase::lowercase).textCase(TextCase::uppercase), "mixed"});
  cases.push_back(
      {"none first", Text::verbatim("Mixed").textCase(std::nullopt).textCase(TextCase::uppercase), "Mixed"});
  cases.push_back({"on the stack",
                   VStack(HorizontalAlignment::leading, 0, {Text::verbatim("Mixed")})
                       .textCase(TextCase::uppercase)
                       .textCase(TextCase::lowercase),
                   "MIXED"});
  cases.push_back({"inner over outer",
                   VStack(HorizontalAlignment::leading, 0, {Text::verbatim("Mixed").textCase(TextCase::lowercase)})
                       .textCase(TextCase::uppercase),
                   "mixed"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(drawn(c.tree), c.reads);
    EXPECT_NE(dumped(c.tree).find("\"text\":\"" + c.reads + "\""), std::string::npos) << dumped(c.tree);
  }
}

TEST(TreeDump, ALazyForEachDumpsTheSameElementsAsOneMadeUpFront) {
  auto element = [](std::size_t i) {
    return ForEachElement{std::to_string(i), {Text::verbatim("cell " + std::to_string(i)), Divider()}};
  };
  std::vector<ForEachElement> all;
  for (std::size_t i = 0; i < 4; ++i) all.push_back(element(i));
  int asked = 0;
  Node lazy = VStack(HorizontalAlignment::leading, 2, {ForEach(4, [&](std::size_t i) {
                       ++asked;
                       return element(i);
                     })});
  const Node copy = lazy;  // shares the elements, and what has been made of them
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(onlyChild(copy).elements.size(), 4u);
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(onlyChild(copy).elements[2].content.size(), 2u);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(dumped(lazy), dumped(VStack(HorizontalAlignment::leading, 2, {ForEach(all)})));
  EXPECT_EQ(asked, 4);  // each element made once, whichever copy asked
  EXPECT_EQ(dumped(copy), dumped(lazy));
  EXPECT_EQ(asked, 4);
  EXPECT_THROW(onlyChild(lazy).elements.at(4), std::out_of_range);
}

TEST(TreeDump, AnIdentityWrittenOnDemandIsWrittenOnceWhenFirstRead) {
  int written = 0;
  const ElementId id([&written] {
    ++written;
    return std::string(R"({"u":"a"})");
  });
  const ElementId copy = id;
  EXPECT_EQ(written, 0);
  Node each = ForEach({{copy, {Text::verbatim("a")}}});
  EXPECT_EQ(written, 0);  // making the tree writes no identity
  EXPECT_NE(dumped(each).find(R"("id":{"u":"a"})"), std::string::npos);
  EXPECT_EQ(id, ElementId(R"({"u":"a"})"));
  EXPECT_EQ(written, 1);
}

}  // namespace
}  // namespace corvane
