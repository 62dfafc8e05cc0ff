#include "platform/ui/tree/node.hpp"

#include <map>
#include <mutex>
#include <ostream>
#include <stdexcept>
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

Node ForEach(std::size_t count, ForEachElements::Make element) {
  Node n = make(NodeType::forEach);
  n.elements = ForEachElements(count, std::move(element));
  return n;
}

// ---- ElementId --------------------------------------------------------------------

struct ElementId::State {
  std::once_flag once;
  std::function<std::string()> write;
  std::string json;
};

ElementId::ElementId(std::string json) : state_(std::make_shared<State>()) {
  state_->json = std::move(json);
  std::call_once(state_->once, [] {});
}

ElementId::ElementId(std::function<std::string()> write) : state_(std::make_shared<State>()) {
  state_->write = std::move(write);
}

const std::string& ElementId::json() const {
  State& s = *state_;
  std::call_once(s.once, [&s] {
    s.json = s.write();
    s.write = nullptr;  // what it held (a shared value) is no longer needed
  });
  return s.json;
}

std::ostream& operator<<(std::ostream& out, const ElementId& id) { return out << id.json(); }

// ---- ForEachElements ------------------------------------------------------------

struct ForEachElements::State {
  std::vector<ForEachElement> all;  // made up front
  std::size_t count = 0;            // made on demand: how many, how, and those made so far
  Make make;
  std::mutex mutex;
  std::map<std::size_t, ForEachElement> made;  // node-based: made elements never move
};

ForEachElements::ForEachElements(std::vector<ForEachElement> elements) {
  if (elements.empty()) return;
  state_ = std::make_shared<State>();
  state_->count = elements.size();
  state_->all = std::move(elements);
}

ForEachElements::ForEachElements(std::size_t count, Make make) {
  if (count == 0) return;
  state_ = std::make_shared<State>();
  state_->count = count;
  state_->make = std::move(make);
}

std::size_t ForEachElements::size() const { return state_ ? state_->count : 0; }

bool ForEachElements::lazy() const { return state_ && state_->make; }

const ForEachElement& ForEachElements::operator[](std::size_t i) const {
  State& s = *state_;
  if (!s.make) return s.all[i];
  {
    std::lock_guard lock(s.mutex);
    if (auto it = s.made.find(i); it != s.made.end()) return it->second;
  }
  // Made outside the lock so that other elements can be read meanwhile; if
  // another thread made the same element first, its copy is the one kept.
  ForEachElement element = s.make(i);
  std::lock_guard lock(s.mutex);
  return s.made.try_emplace(i, std::move(element)).first->second;
}

const ForEachElement& ForEachElements::at(std::size_t i) const {
  if (i >= size()) throw std::out_of_range("ForEach element " + std::to_string(i));
  return (*this)[i];
}

void ForEachElements::forEachMade(const std::function<void(std::size_t, const ForEachElement&)>& visit) const {
  if (!state_) return;
  if (!state_->make) {
    for (std::size_t i = 0; i < state_->all.size(); ++i) visit(i, state_->all[i]);
    return;
  }
  std::vector<std::pair<std::size_t, const ForEachElement*>> made;
  {
    std::lock_guard lock(state_->mutex);
    for (const auto& [i, e] : state_->made) made.emplace_back(i, &e);
  }
  for (const auto& [i, e] : made) visit(i, *e);
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
