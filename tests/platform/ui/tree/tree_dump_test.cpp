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
  cases.push_back({"on the text", Text::verbatim("Mixed").textCase(TextCase::lowercase).textCase(TextCase::uppercase),
                   "mixed"});
  cases.push_back({"none first", Text::verbatim("Mixed").textCase(std::nullopt).textCase(TextCase::uppercase), "Mixed"});
  cases.push_back({"on the stack", VStack(HorizontalAlignment::leading, 0, {Text::verbatim("Mixed")})
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

}  // namespace
}  // namespace corvane
