#include "platform/ui/tree/node.hpp"

#include <utility>

namespace corvane {
namespace {

std::vector<Node> present(std::vector<Child> children) {
  std::vector<Node> out;
  out.reserve(children.size());
  for (Child& c : children)
    if (c) out.push_back(std::move(*c));
  return out;
}

Node make(NodeType type, std::vector<Child> children = {}) {
  Node n;
  n.type = type;
  n.children = present(std::move(children));
  return n;
}

Node textNode(TextContent content) {
  Node n = make(NodeType::text);
  n.text = std::move(content);
  return n;
}

}  // namespace

Node Node::modified(Modifier m) && {
  modifiers.push_back(m);
  return std::move(*this);
}
Node Node::font(Font f) && { return std::move(*this).modified(FontModifier{f}); }
Node Node::foregroundStyle(Color c) && { return std::move(*this).modified(ForegroundStyle{c}); }
Node Node::lineLimit(std::optional<int> n) && { return std::move(*this).modified(LineLimit{n}); }
Node Node::textCase(std::optional<TextCase> c) && { return std::move(*this).modified(TextCaseModifier{c}); }
Node Node::padding(EdgeInsets insets) && { return std::move(*this).modified(Padding{insets, std::nullopt}); }
Node Node::padding(EdgeSet edges, double length) && {
  EdgeInsets in{edges.has(EdgeSet::kTop) ? length : 0, edges.has(EdgeSet::kLeading) ? length : 0,
                edges.has(EdgeSet::kBottom) ? length : 0, edges.has(EdgeSet::kTrailing) ? length : 0};
  return std::move(*this).modified(Padding{in, edges});
}
Node Node::frame(std::optional<double> width, std::optional<double> height, Alignment a) && {
  return std::move(*this).modified(Frame{width, height, a});
}
Node Node::overlay(Color c, EdgeSet edges) && { return std::move(*this).modified(Overlay{c, edges}); }
Node Node::containerBackground(Color c, ContainerBackgroundPlacement p) && {
  return std::move(*this).modified(ContainerBackground{c, p});
}
Node Node::fill(Color c) && { return std::move(*this).modified(Fill{c}); }

Node VStack(HorizontalAlignment alignment, std::optional<double> spacing, std::vector<Child> children) {
  Node n = make(NodeType::vstack, std::move(children));
  n.hAlignment = alignment;
  n.spacing = spacing;
  return n;
}

Node HStack(VerticalAlignment alignment, std::optional<double> spacing, std::vector<Child> children) {
  Node n = make(NodeType::hstack, std::move(children));
  n.vAlignment = alignment;
  n.spacing = spacing;
  return n;
}

Node Spacer(std::optional<double> minLength) {
  Node n = make(NodeType::spacer);
  n.minLength = minLength;
  return n;
}

Node Group(std::vector<Child> children) { return make(NodeType::group, std::move(children)); }

Node Conditional(Branch branch, Node content) {
  Node n = make(NodeType::conditional);
  n.branch = branch;
  n.children.push_back(std::move(content));
  return n;
}

Node ForEach(std::vector<ForEachElement> elements) {
  Node n = make(NodeType::forEach);
  n.elements = std::move(elements);
  return n;
}

Node LazyVGrid(std::vector<GridItem> columns, HorizontalAlignment alignment, std::optional<double> spacing,
               std::vector<Child> content) {
  Node n = make(NodeType::lazyVGrid, std::move(content));
  n.columns = std::move(columns);
  n.hAlignment = alignment;
  n.spacing = spacing;
  return n;
}

Node Divider() { return make(NodeType::divider); }

Node Text::verbatim(std::string_view string) { return textNode({TextKind::verbatim, std::string(string), {}, {}}); }
Node Text::key(std::string_view key) { return textNode({TextKind::key, std::string(key), {}, {}}); }
Node Text::interpolated(const Interpolation& i) { return textNode(i.content()); }
Node Text::relative(Date date) { return textNode({TextKind::relative, {}, {}, date}); }

Node Image(std::string_view systemName) {
  Node n = make(NodeType::image);
  n.systemName = std::string(systemName);
  return n;
}

Node Circle() { return make(NodeType::circle); }

}  // namespace corvane
