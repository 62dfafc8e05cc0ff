#pragma once
// Small queries over a layout's box tree: boxes by kind, by text, by the node
// they stand for, so layout tests read like the geometry they check. A lazy
// grid's items count once layout has built them.

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

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

// Every built box below and including `root` that `pred` accepts, depth-first in child order.
inline std::vector<const Box*> boxes(const Box& root, const std::function<bool(const Box&)>& pred) {
  std::vector<const Box*> out;
  walkBoxes(root, [&](const Box& b) {
    if (pred(b)) out.push_back(&b);
  });
  return out;
}

inline std::vector<const Box*> ofKind(const Box& root, BoxKind kind) {
  return boxes(root, [&](const Box& b) { return b.kind == kind; });
}

// The first text box drawing `text`; throws when there is none, so a test
// fails with the text's name instead of crashing.
inline const Box& textBox(const Box& root, const std::string& text) {
  auto found = boxes(root, [&](const Box& b) { return b.kind == BoxKind::text && b.text == text; });
  if (found.empty()) throw std::runtime_error("no text box \"" + text + "\"");
  return *found.front();
}

// The outermost box of `node` (its padding, frame or overlay when it has one).
inline const Box& boxOf(const Box& root, const Node& node) {
  auto found = boxes(root, [&](const Box& b) { return b.node == &node; });
  if (found.empty()) throw std::runtime_error("no box for the node");
  return *found.front();
}

}  // namespace corvane::testing
