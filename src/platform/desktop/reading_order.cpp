#include "platform/desktop/reading_order.hpp"

namespace corvane {
namespace {

void collect(const Box& box, std::string& out) {
  if (box.kind == BoxKind::text) {
    if (box.text.find_first_not_of(" \t\n") == std::string::npos || box.frame.width <= 0 || box.frame.height <= 0)
      return;
    if (!out.empty()) out += ", ";
    out += box.text;
    return;
  }
  // A lazy grid reads out the rows it placed, as the painter draws them.
  for (const Box& child : box.placedChildren()) collect(child, out);
}

}  // namespace

std::string readingOrderText(const BoxTree& tree) {
  std::string out;
  collect(tree.root, out);
  return out;
}

}  // namespace corvane
