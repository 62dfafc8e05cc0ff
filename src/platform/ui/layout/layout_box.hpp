#pragma once
// The layout's own tree, built once from a view tree: environment modifiers
// (font, colour, line limit, text case) resolved into the leaves, layout
// modifiers (padding, frame, overlay) turned into wrapper boxes in the order
// applied, groups and ForEach content flattened into their stack, texts read
// out at the environment's clock and locale.

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/ui/layout/geometry.hpp"
#include "platform/ui/text/text_measure.hpp"
#include "platform/ui/tree/node.hpp"
#include "support/index_iterator.hpp"

namespace corvane {

// The toolkit's spacing between stack children and grid columns when a view
// gives none.
inline constexpr double kDefaultSpacing = 8;

enum class BoxKind { text, symbol, circle, divider, spacer, vstack, hstack, grid, padding, frame, overlay, pass };
enum class Axis { horizontal, vertical };

struct Proposal {
  std::optional<double> width, height;  // none: ideal size; a number: at most that
  friend bool operator==(const Proposal&, const Proposal&) = default;
};

// The answers a box gave, by proposal: the last few only, as layout engines
// keep them. A stack asks each child a handful of questions per pass; a live
// text that changes width asks its neighbours new ones at every tick, which
// must not pile up however long a view lives.
class SizeAnswers {
 public:
  static constexpr std::size_t kKept = 8;

  const Size* find(const Proposal& p) const {
    for (std::size_t i = 0; i < count_; ++i)
      if (answers_[i].first == p) return &answers_[i].second;
    return nullptr;
  }
  // Keeps the answer, in place of the oldest once kKept are kept.
  void keep(const Proposal& p, Size s) {
    answers_[next_] = {p, s};
    next_ = (next_ + 1) % kKept;
    count_ = std::min(count_ + 1, kKept);
  }
  void clear() { count_ = next_ = 0; }
  std::size_t size() const { return count_; }

 private:
  std::array<std::pair<Proposal, Size>, kKept> answers_{};
  std::size_t count_ = 0, next_ = 0;
};

struct Box {
  BoxKind kind = BoxKind::pass;
  const Node* node = nullptr;  // the node this box is the outermost box of

  // Leaves.
  std::string text;              // text: what is drawn
  Font font;                     // text, symbol
  std::optional<int> lineLimit;  // text
  Color color;                   // text, symbol, circle (foreground or fill); divider
  std::string symbol;            // symbol: system name

  // Containers and wrappers.
  double spacing = 0;
  HorizontalAlignment hAlignment = HorizontalAlignment::center;
  VerticalAlignment vAlignment = VerticalAlignment::center;
  std::vector<GridItem> columns;
  std::optional<double> minLength;                // spacer
  Axis axis = Axis::vertical;                     // spacer, divider: the axis of their stack
  EdgeInsets insets;                              // padding
  std::optional<double> frameWidth, frameHeight;  // frame
  std::vector<Box> children;                      // every container but a grid

  // A grid's items, in order: those of a lazy ForEach are built when layout
  // first asks for them (`item`), the others up front. A grid of a hundred
  // thousand cells builds only the rows it measures and places.
  std::size_t itemCount = 0;
  std::function<Box(std::size_t)> makeItem;
  std::map<std::size_t, std::unique_ptr<Box>> builtItems;
  Box& item(std::size_t i);
  // A grid's item if it has been built, else null; another box's child i.
  const Box* builtChild(std::size_t i) const;

  // Results of placing: the frame in widget coordinates, and for texts the
  // width and line count they were laid out with, for the painter.
  Rect frame;
  std::optional<double> layoutWidth;
  int layoutLines = 0;
  std::optional<double> layoutHeight;        // offered when last measured, if known
  std::shared_ptr<const ShapedText> shaped;  // text: what the measurer shaped for its place
  // The children that were placed: a grid's items of the rows inside the
  // viewport (none before it is placed), every other box's children.
  std::size_t placedBegin = 0, placedEnd = std::numeric_limits<std::size_t>::max();
  class Placed;
  Placed placedChildren() const;

  // Answers already given, by proposal.
  SizeAnswers sizeCache;
};

// The children a box placed, in order, as a range of boxes.
class Box::Placed {
  static const Box& child(const Box& box, std::size_t i) { return *box.builtChild(i); }

 public:
  Placed(const Box& box, std::size_t begin, std::size_t end) : box_(&box), begin_(begin), end_(end) {}
  // Iterators hold the box, not this range, so they outlive it.
  using iterator = IndexIterator<Box, Box, &Placed::child>;
  iterator begin() const { return {box_, begin_}; }
  iterator end() const { return {box_, end_}; }
  std::size_t size() const { return end_ - begin_; }
  bool empty() const { return begin_ == end_; }
  const Box& operator[](std::size_t i) const { return *box_->builtChild(begin_ + i); }
  const Box& front() const { return (*this)[0]; }

 private:
  const Box* box_;
  std::size_t begin_, end_;
};

inline Box::Placed Box::placedChildren() const {
  const std::size_t count = kind == BoxKind::grid ? itemCount : children.size();
  const std::size_t end = std::min(placedEnd, count);
  return {*this, std::min(placedBegin, end), end};
}

struct BoxTree {
  Box root;
  std::optional<Color> background;  // the container background, if any
  bool redacted = false;            // texts are painted as bars (a placeholder)
};

BoxTree buildBoxes(const Node& root, const Environment& env);

// Where each node of `root` was placed: the frame of its outermost box, or,
// for a node flattened into its stack (a Group, a ForEach), the union of
// its children's frames.
std::unordered_map<const Node*, Rect> nodeFrames(const BoxTree& tree, const Node& root);

}  // namespace corvane
