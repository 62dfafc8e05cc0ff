#pragma once
// The view vocabulary: every primitive, modifier, colour and font a view body
// can use, as immutable values forming a retained tree. A composite view
// appears in the tree under its own name with its evaluated body.
//
//   VStack(HorizontalAlignment::leading, 2, {Header{...}, Spacer(4), ...})
//   Text::verbatim(n).font(Font::system(10)).foregroundStyle(c).lineLimit(1)
//
// Absent means absent: a child given as std::nullopt is not in the tree.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/ui/text/text_case.hpp"
#include "platform/ui/tree/color.hpp"
#include "platform/ui/tree/environment.hpp"
#include "platform/ui/tree/font.hpp"
#include "platform/ui/tree/text_content.hpp"
#include "support/cow_vector.hpp"
#include "support/index_iterator.hpp"

namespace corvane {

// ---- Alignment, edges, sizes ------------------------------------------------

enum class HorizontalAlignment { leading, center, trailing };
enum class VerticalAlignment { top, center, bottom, firstTextBaseline };
enum class Alignment { center };

// A set of edges: bits of top, leading, bottom, trailing.
struct EdgeSet {
  unsigned bits = 0;
  static constexpr unsigned kTop = 1, kLeading = 2, kBottom = 4, kTrailing = 8;
  static EdgeSet top() { return {kTop}; }
  static EdgeSet leading() { return {kLeading}; }
  static EdgeSet bottom() { return {kBottom}; }
  static EdgeSet trailing() { return {kTrailing}; }
  static EdgeSet all() { return {kTop | kLeading | kBottom | kTrailing}; }
  bool has(unsigned edge) const { return (bits & edge) != 0; }
  friend bool operator==(const EdgeSet&, const EdgeSet&) = default;
};

struct EdgeInsets {
  double top = 0, leading = 0, bottom = 0, trailing = 0;
  friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// ---- Modifiers (recorded in the order applied) ------------------------------

struct FontModifier {
  Font font;
  friend bool operator==(const FontModifier&, const FontModifier&) = default;
};
struct ForegroundStyle {
  Color color;
  friend bool operator==(const ForegroundStyle&, const ForegroundStyle&) = default;
};
struct LineLimit {
  std::optional<int> lines;
  friend bool operator==(const LineLimit&, const LineLimit&) = default;
};
struct TextCaseModifier {
  std::optional<TextCase> textCase;
  friend bool operator==(const TextCaseModifier&, const TextCaseModifier&) = default;
};
struct Padding {
  EdgeInsets insets;             // what the padding adds on each edge
  std::optional<EdgeSet> edges;  // set when made from (edges, length)
  friend bool operator==(const Padding&, const Padding&) = default;
};
struct Frame {
  std::optional<double> width, height;
  Alignment alignment = Alignment::center;
  friend bool operator==(const Frame&, const Frame&) = default;
};
struct Overlay {
  Color color;
  EdgeSet ignoresSafeAreaEdges = EdgeSet::all();
  friend bool operator==(const Overlay&, const Overlay&) = default;
};
enum class ContainerBackgroundPlacement { widget };
struct ContainerBackground {
  Color color;
  ContainerBackgroundPlacement placement = ContainerBackgroundPlacement::widget;
  friend bool operator==(const ContainerBackground&, const ContainerBackground&) = default;
};
struct Fill {
  Color color;
  friend bool operator==(const Fill&, const Fill&) = default;
};

using Modifier = std::variant<FontModifier, ForegroundStyle, LineLimit, TextCaseModifier, Padding, Frame, Overlay,
                              ContainerBackground, Fill>;

// ---- Node --------------------------------------------------------------------

enum class NodeType {
  view,  // a composite view: name + body
  vstack,
  hstack,
  spacer,
  group,
  conditional,
  forEach,
  lazyVGrid,
  divider,
  text,
  image,
  circle,
};

enum class Branch { first, second };

struct GridItem {
  double minimum = 10, maximum = kInfinity;  // GridItem.Size.flexible
  std::optional<double> spacing;
  std::optional<Alignment> alignment;
  friend bool operator==(const GridItem&, const GridItem&) = default;
};

struct Node;

// A ForEach element's identity: the JSON of the identifying value, so equal
// values have equal ids. It may be written when first read rather than when
// the element is made: the dump reads it, drawing never does, and writing a
// whole account costs what the account does. Copies share what was written.
class ElementId {
 public:
  ElementId() : ElementId(std::string()) {}
  ElementId(std::string json);                                   // NOLINT: an id written up front
  ElementId(const char* json) : ElementId(std::string(json)) {}  // NOLINT
  explicit ElementId(std::function<std::string()> write);

  const std::string& json() const;
  friend bool operator==(const ElementId& a, const ElementId& b) { return a.json() == b.json(); }
  friend std::ostream& operator<<(std::ostream& out, const ElementId& id);

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// One element of a ForEach: its identity and the children it yields.
struct ForEachElement {
  ElementId id;
  std::vector<Node> content;
};

// A ForEach's elements: either all made up front, or a count and a function
// that makes element i when it is first asked for, as the toolkit's ForEach
// over a range makes only the views a lazy container asks for. Copies share
// the elements and what has been made so far; making is safe from several
// threads at once. A made element never changes and stays where it is, so
// references to it (and to its nodes) hold as long as any copy does.
class ForEachElements {
  static const ForEachElement& element(const ForEachElements& elements, std::size_t i) { return elements[i]; }

 public:
  using Make = std::function<ForEachElement(std::size_t)>;

  ForEachElements() = default;
  ForEachElements(std::vector<ForEachElement> elements);  // NOLINT: converts like the vector it holds
  ForEachElements(std::size_t count, Make make);

  std::size_t size() const;
  bool empty() const { return size() == 0; }
  // Whether elements are made when first asked for.
  bool lazy() const;
  // Element i, made now if it has not been yet.
  const ForEachElement& operator[](std::size_t i) const;
  const ForEachElement& at(std::size_t i) const;
  // The elements made so far, in order, with their indices, without making any.
  void forEachMade(const std::function<void(std::size_t, const ForEachElement&)>& visit) const;

  // Iterating makes every element it reaches.
  using iterator = IndexIterator<ForEachElements, ForEachElement, &ForEachElements::element>;
  using const_iterator = iterator;
  iterator begin() const { return {this, 0}; }
  iterator end() const { return {this, size()}; }

 private:
  struct State;
  std::shared_ptr<State> state_;
};

struct Node {
  NodeType type = NodeType::group;
  std::string viewName;                                           // view
  HorizontalAlignment hAlignment = HorizontalAlignment::leading;  // vstack, lazyVGrid
  VerticalAlignment vAlignment = VerticalAlignment::center;       // hstack
  std::optional<double> spacing;                                  // stacks, lazyVGrid
  std::optional<double> minLength;                                // spacer
  Branch branch = Branch::first;                                  // conditional
  std::vector<GridItem> columns;                                  // lazyVGrid
  ForEachElements elements;                                       // forEach; shared between copies
  TextContent text;                                               // text
  std::string systemName;                                         // image
  std::vector<Modifier> modifiers;
  // Stacks, group, grid; view body and conditional content are children[0].
  // Shared between copies: bodies put subtrees into their parents by value,
  // and a subtree of a hundred thousand cells must not be copied each time.
  CowVector<Node> children;

  // Modifiers, chained fluently; each returns the node with one more modifier.
  Node font(Font f) &&;
  Node foregroundStyle(Color c) &&;
  Node lineLimit(std::optional<int> n) &&;
  Node textCase(std::optional<TextCase> c) &&;
  Node padding(EdgeInsets insets) &&;
  Node padding(EdgeSet edges, double length) &&;
  Node frame(std::optional<double> width, std::optional<double> height, Alignment a = Alignment::center) &&;
  Node overlay(Color c, EdgeSet ignoresSafeAreaEdges = EdgeSet::all()) &&;
  Node containerBackground(Color c, ContainerBackgroundPlacement p) &&;
  Node fill(Color c) &&;
  Node modified(Modifier m) &&;
};

using Child = std::optional<Node>;

// ---- Containers ---------------------------------------------------------------

Node VStack(HorizontalAlignment alignment, std::optional<double> spacing, std::vector<Child> children);
Node HStack(VerticalAlignment alignment, std::optional<double> spacing, std::vector<Child> children);
Node Spacer(std::optional<double> minLength = std::nullopt);
Node Group(std::vector<Child> children);
Node Conditional(Branch branch, Node content);
Node ForEach(std::vector<ForEachElement> elements);
// A ForEach of `count` elements, element i made by `element(i)` when a
// container first asks for it. Each element is one item of its container:
// its content is one node (several are stacked, as a Group standing alone).
Node ForEach(std::size_t count, ForEachElements::Make element);
Node LazyVGrid(std::vector<GridItem> columns, HorizontalAlignment alignment, std::optional<double> spacing,
               std::vector<Child> content);
Node Divider();

// ---- Leaves -------------------------------------------------------------------

struct Text {
  static Node verbatim(std::string_view string);
  static Node key(std::string_view key);
  static Node interpolated(const Interpolation& i);
  static Node relative(Date date);
};
Node Image(std::string_view systemName);
Node Circle();

// ---- Composite views ------------------------------------------------------------

// A view is a value with a static `name` and `Node body(const Environment&)`.
template <class V>
concept View = requires(const V& v, const Environment& env) {
  { V::name } -> std::convertible_to<std::string_view>;
  { v.body(env) } -> std::same_as<Node>;
};

// The view in the tree under its own name, with its body evaluated now.
template <View V>
Node compose(const V& v, const Environment& env) {
  Node n;
  n.type = NodeType::view;
  n.viewName = std::string(V::name);
  n.children.push_back(v.body(env));
  return n;
}

// The body of a composite or the content of a conditional.
inline const Node& onlyChild(const Node& n) { return n.children.front(); }

}  // namespace corvane
