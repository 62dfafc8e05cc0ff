#pragma once
// Small queries over a view tree, so tests read like the behaviour they check.

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/tree/node.hpp"

namespace corvane::testing {

// Every node below and including `root`, depth-first in child order; ForEach
// elements' content counts as children.
inline void walk(const Node& root, const std::function<void(const Node&)>& visit) {
  visit(root);
  for (const Node& c : root.children) walk(c, visit);
  for (const ForEachElement& e : root.elements)
    for (const Node& c : e.content) walk(c, visit);
}

inline std::vector<const Node*> findAll(const Node& root, const std::function<bool(const Node&)>& pred) {
  std::vector<const Node*> out;
  walk(root, [&](const Node& n) {
    if (pred(n)) out.push_back(&n);
  });
  return out;
}

inline std::vector<const Node*> views(const Node& root, const std::string& name) {
  return findAll(root, [&](const Node& n) { return n.type == NodeType::view && n.viewName == name; });
}

inline const Node* view(const Node& root, const std::string& name) {
  auto all = views(root, name);
  return all.empty() ? nullptr : all.front();
}

inline std::vector<const Node*> ofType(const Node& root, NodeType type) {
  return findAll(root, [&](const Node& n) { return n.type == type; });
}

// What every text reads, in order (no text case applied).
inline std::vector<std::string> texts(const Node& root, const Environment& env = {}) {
  std::vector<std::string> out;
  for (const Node* n : ofType(root, NodeType::text)) out.push_back(renderText(n->text, env));
  return out;
}

inline const Node* textReading(const Node& root, const std::string& reads, const Environment& env = {}) {
  for (const Node* n : ofType(root, NodeType::text))
    if (renderText(n->text, env) == reads) return n;
  return nullptr;
}

template <class M>
const M* modifier(const Node& n) {
  for (const Modifier& m : n.modifiers)
    if (const auto* found = std::get_if<M>(&m)) return found;
  return nullptr;
}

inline std::string colorName(const Node& n) {
  const auto* f = modifier<ForegroundStyle>(n);
  if (f) return std::string(f->color.name);
  const auto* fill = modifier<Fill>(n);
  return fill ? std::string(fill->color.name) : std::string();
}

// The branches from the root down to the first non-conditional node.
inline std::vector<Branch> branchPath(const Node& root) {
  std::vector<Branch> out;
  const Node* n = &root;
  while (n->type == NodeType::view || n->type == NodeType::group || n->type == NodeType::conditional) {
    if (n->type == NodeType::conditional) out.push_back(n->branch);
    if (n->children.empty()) break;
    n = &n->children.front();
    if (n->type == NodeType::view && !out.empty()) break;
  }
  return out;
}

}  // namespace corvane::testing
