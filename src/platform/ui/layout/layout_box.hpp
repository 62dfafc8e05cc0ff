#pragma once
// The layout's own tree, built once from a view tree: environment modifiers
// (font, colour, line limit, text case) resolved into the leaves, layout
// modifiers (padding, frame, overlay) turned into wrapper boxes in the order
// applied, groups and ForEach content flattened into their stack, texts read
// out at the environment's clock and locale.

#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/ui/layout/geometry.hpp"
#include "platform/ui/tree/node.hpp"

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

struct Box {
  BoxKind kind = BoxKind::pass;
  const Node* node = nullptr;  // the node this box is the outermost box of

  // Leaves.
  std::string text;                  // text: what is drawn
  Font font;                         // text, symbol
  std::optional<int> lineLimit;      // text
  Color color;                       // text, symbol, circle (foreground or fill); divider
  std::string symbol;                // symbol: system name

  // Containers and wrappers.
  double spacing = 0;
  HorizontalAlignment hAlignment = HorizontalAlignment::center;
  VerticalAlignment vAlignment = VerticalAlignment::center;
  std::vector<GridItem> columns;
  std::optional<double> minLength;   // spacer
  Axis axis = Axis::vertical;        // spacer, divider: the axis of their stack
  EdgeInsets insets;                 // padding
  std::optional<double> frameWidth, frameHeight;  // frame
  std::vector<Box> children;

  // Results of placing: the frame in widget coordinates, and for texts the
  // width and line count they were laid out with, for the painter.
  Rect frame;
  std::optional<double> layoutWidth;
  int layoutLines = 0;
  // The children that were placed: all but those of a lazy grid's rows that
  // cannot be seen.
  std::size_t placedBegin = 0, placedEnd = std::numeric_limits<std::size_t>::max();
  std::span<const Box> placedChildren() const {
    std::size_t end = std::min(placedEnd, children.size());
    std::size_t begin = std::min(placedBegin, end);
    return std::span<const Box>(children).subspan(begin, end - begin);
  }

  // Answers already given, by proposal.
  std::vector<std::pair<Proposal, Size>> sizeCache;
};

struct BoxTree {
  Box root;
  std::optional<Color> background;  // the container background, if any
};

BoxTree buildBoxes(const Node& root, const Environment& env);

// Where each node of `root` was placed: the frame of its outermost box, or,
// for a node flattened into its stack (a Group, a ForEach), the union of
// its children's frames.
std::unordered_map<const Node*, Rect> nodeFrames(const BoxTree& tree, const Node& root);

}  // namespace corvane
