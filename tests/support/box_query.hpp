#pragma once
// Walks over a box tree, so tests can find the boxes layout built.

#include <functional>

#include "platform/ui/layout/layout_box.hpp"

namespace corvane::testing {

// Every box below and including `root` that has been built, depth-first in
// order: a grid's items count once layout has built them.
inline void walkBoxes(const Box& root, const std::function<void(const Box&)>& visit) {
  visit(root);
  for (const Box& c : root.children) walkBoxes(c, visit);
  for (const auto& [index, item] : root.builtItems) walkBoxes(*item, visit);
}

// How many boxes have been built below and including `root`.
inline std::size_t boxCount(const Box& root) {
  std::size_t n = 0;
  walkBoxes(root, [&n](const Box&) { ++n; });
  return n;
}

}  // namespace corvane::testing
