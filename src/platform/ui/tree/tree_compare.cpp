#include "platform/ui/tree/tree_compare.hpp"

namespace corvane {
namespace {

bool sameContent(const std::vector<Node>& a, const std::vector<Node>& b);

bool sameElements(const ForEachElements& shown, const ForEachElements& fresh) {
  if (shown.size() != fresh.size() || shown.lazy() != fresh.lazy()) return false;
  bool same = true;
  // Up front, every element is made; lazily, the made ones are what counts.
  shown.forEachMade([&](std::size_t i, const ForEachElement& e) {
    if (same) same = sameContent(e.content, fresh[i].content);
  });
  return same;
}

bool sameNode(const Node& a, const Node& b) {
  if (a.type != b.type || a.viewName != b.viewName || a.hAlignment != b.hAlignment || a.vAlignment != b.vAlignment ||
      a.spacing != b.spacing || a.minLength != b.minLength || a.branch != b.branch || a.columns != b.columns ||
      a.text != b.text || a.systemName != b.systemName || a.modifiers != b.modifiers ||
      a.children.size() != b.children.size())
    return false;
  for (std::size_t i = 0; i < a.children.size(); ++i)
    if (!sameNode(a.children[i], b.children[i])) return false;
  return sameElements(a.elements, b.elements);
}

bool sameContent(const std::vector<Node>& a, const std::vector<Node>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!sameNode(a[i], b[i])) return false;
  return true;
}

}  // namespace

bool drawsTheSame(const Node& shown, const Node& fresh) { return sameNode(shown, fresh); }

}  // namespace corvane
