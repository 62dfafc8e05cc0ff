#include "platform/ui/layout/layout_box.hpp"

#include <algorithm>

#include "platform/ui/text/text_case.hpp"

namespace corvane {
namespace {

// Environment values flowing down the tree; the modifier applied first (the
// innermost) wins, as in the toolkit.
struct Style {
  Font font = Font::system(13);
  std::optional<Color> foreground;
  std::optional<int> lineLimit;
  std::optional<TextCase> textCase;
};

// The style inside a node: its environment modifiers from last applied to
// first, so the first applied overrides.
Style styleInside(const Node& n, Style s) {
  std::for_each(n.modifiers.rbegin(), n.modifiers.rend(), [&s](const Modifier& m) {
    if (const auto* f = std::get_if<FontModifier>(&m)) s.font = f->font;
    if (const auto* c = std::get_if<ForegroundStyle>(&m)) s.foreground = c->color;
    if (const auto* l = std::get_if<LineLimit>(&m)) s.lineLimit = l->lines;
    if (const auto* t = std::get_if<TextCaseModifier>(&m)) s.textCase = t->textCase;
  });
  return s;
}

// The toolkit's primary colour on a dark background.
const Color kPrimary = Color::white();
// The hairline colour of a Divider on a dark background.
const Color kSeparator = Color::white().withOpacity(0.1);

class Builder {
 public:
  // `background` receives the first container background met; a grid's items
  // built later, during layout, have none to give (null).
  Builder(const Environment& env, std::optional<Color>* background) : env_(env), background_(background) {}

  Box build(const Node& n, const Style& inherited, Axis stackAxis) {
    Style style = styleInside(n, inherited);
    Box content = contentBox(n, style, stackAxis);
    // Layout modifiers wrap the view in the order applied.
    for (const Modifier& m : n.modifiers) {
      if (const auto* p = std::get_if<Padding>(&m)) {
        content = wrap(BoxKind::padding, std::move(content));
        content.insets = p->insets;
      } else if (const auto* f = std::get_if<Frame>(&m)) {
        content = wrap(BoxKind::frame, std::move(content));
        content.frameWidth = f->width;
        content.frameHeight = f->height;
      } else if (const auto* o = std::get_if<Overlay>(&m)) {
        content = wrap(BoxKind::overlay, std::move(content));
        content.color = o->color;
      } else if (const auto* bg = std::get_if<ContainerBackground>(&m)) {
        if (background_ && !*background_) *background_ = bg->color;
      }
    }
    content.node = &n;
    return content;
  }

 private:
  static Box wrap(BoxKind kind, Box inner) {
    Box b;
    b.kind = kind;
    b.children.push_back(std::move(inner));
    return b;
  }

  // One element of a lazy ForEach as one item of its grid.
  Box element(const ForEachElement& e, const Style& style) {
    if (e.content.size() == 1) return build(e.content.front(), style, Axis::horizontal);
    Box b;
    b.kind = BoxKind::vstack;  // several nodes stand together, as in a Group
    for (const Node& c : e.content) addFlattened(c, style, Axis::vertical, b.children);
    return b;
  }

  // A lazy ForEach's items in a grid: from `begin`, one per element.
  struct LazyRun {
    std::size_t begin;
    const Node* forEach;
    Style style;
  };

  // A grid's items, with groups and ForEach content flattened in; a lazy
  // ForEach's items are only counted, and built by `makeItem` when asked for.
  void gridItems(const Node& n, const Style& style, Box& grid, std::vector<LazyRun>& runs) {
    for (const Node& c : n.children) gridItem(c, style, grid, runs);
  }

  void gridItem(const Node& c, const Style& style, Box& grid, std::vector<LazyRun>& runs) {
    if (c.type == NodeType::group) {
      gridItems(c, styleInside(c, style), grid, runs);
    } else if (c.type == NodeType::forEach && c.elements.lazy()) {
      runs.push_back({grid.itemCount, &c, styleInside(c, style)});
      grid.itemCount += c.elements.size();
    } else if (c.type == NodeType::forEach) {
      Style inner = styleInside(c, style);
      for (const ForEachElement& e : c.elements)
        for (const Node& item : e.content) gridItem(item, inner, grid, runs);
    } else {
      grid.builtItems.emplace(grid.itemCount++, std::make_unique<Box>(build(c, style, Axis::horizontal)));
    }
  }

  void buildGrid(const Node& n, const Style& style, Box& grid) {
    std::vector<LazyRun> runs;
    gridItems(n, style, grid, runs);
    grid.placedEnd = 0;  // nothing is placed before layout places it
    if (runs.empty()) return;
    // The node tree outlives its boxes; the environment is kept here, as
    // items are built after buildBoxes has returned.
    grid.makeItem = [env = std::make_shared<const Environment>(env_), runs = std::move(runs)](std::size_t i) {
      auto after = std::upper_bound(runs.begin(), runs.end(), i,
                                    [](std::size_t index, const LazyRun& r) { return index < r.begin; });
      const LazyRun& run = *std::prev(after);
      return Builder(*env, nullptr).element(run.forEach->elements[i - run.begin], run.style);
    };
  }

  // Children of a stack, with groups and ForEach content flattened in.
  void flatten(const Node& n, const Style& style, Axis axis, std::vector<Box>& out) {
    for (const Node& c : n.children) addFlattened(c, style, axis, out);
  }

  void addFlattened(const Node& c, const Style& style, Axis axis, std::vector<Box>& out) {
    if (c.type == NodeType::group) {
      flatten(c, styleInside(c, style), axis, out);
    } else if (c.type == NodeType::forEach) {
      Style inner = styleInside(c, style);
      for (const ForEachElement& e : c.elements)
        for (const Node& item : e.content) addFlattened(item, inner, axis, out);
    } else {
      out.push_back(build(c, style, axis));
    }
  }

  Box contentBox(const Node& n, const Style& s, Axis stackAxis) {
    Box b;
    switch (n.type) {
      case NodeType::view:
      case NodeType::conditional:
        b.kind = BoxKind::pass;
        b.children.push_back(build(onlyChild(n), s, stackAxis));
        break;
      case NodeType::group:
        if (n.children.size() == 1) {
          b.kind = BoxKind::pass;
          b.children.push_back(build(n.children.front(), s, stackAxis));
        } else {
          b.kind = BoxKind::vstack;  // a group alone lays its children out like a stack
          flatten(n, s, Axis::vertical, b.children);
        }
        break;
      case NodeType::forEach:
        b.kind = BoxKind::vstack;
        addFlattened(n, s, Axis::vertical, b.children);
        break;
      case NodeType::vstack:
      case NodeType::hstack:
        b.kind = n.type == NodeType::vstack ? BoxKind::vstack : BoxKind::hstack;
        b.spacing = n.spacing.value_or(kDefaultSpacing);
        b.hAlignment = n.hAlignment;
        b.vAlignment = n.vAlignment;
        flatten(n, s, n.type == NodeType::vstack ? Axis::vertical : Axis::horizontal, b.children);
        break;
      case NodeType::lazyVGrid:
        b.kind = BoxKind::grid;
        b.columns = n.columns;
        b.spacing = n.spacing.value_or(kDefaultSpacing);
        b.hAlignment = n.hAlignment;
        buildGrid(n, s, b);
        break;
      case NodeType::spacer:
        b.kind = BoxKind::spacer;
        b.minLength = n.minLength;
        b.axis = stackAxis;
        break;
      case NodeType::divider:
        b.kind = BoxKind::divider;
        b.axis = stackAxis;
        b.color = kSeparator;
        break;
      case NodeType::text:
        b.kind = BoxKind::text;
        b.text = renderText(n.text, env_);
        if (s.textCase) b.text = applyTextCase(b.text, *s.textCase, env_.locale);
        b.font = s.font;
        b.lineLimit = s.lineLimit;
        b.color = s.foreground.value_or(kPrimary);
        break;
      case NodeType::image:
        b.kind = BoxKind::symbol;
        b.symbol = n.systemName;
        b.font = s.font;
        b.color = s.foreground.value_or(kPrimary);
        break;
      case NodeType::circle: {
        b.kind = BoxKind::circle;
        const Fill* fill = nullptr;
        for (const Modifier& m : n.modifiers)
          if (!fill) fill = std::get_if<Fill>(&m);
        b.color = fill ? fill->color : s.foreground.value_or(kPrimary);
        break;
      }
    }
    return b;
  }

  const Environment& env_;
  std::optional<Color>* background_;
};

}  // namespace

Box& Box::item(std::size_t i) {
  if (kind != BoxKind::grid) return children[i];
  auto it = builtItems.find(i);
  if (it == builtItems.end()) it = builtItems.emplace(i, std::make_unique<Box>(makeItem(i))).first;
  return *it->second;
}

const Box* Box::builtChild(std::size_t i) const {
  if (kind != BoxKind::grid) return &children[i];
  auto it = builtItems.find(i);
  return it == builtItems.end() ? nullptr : it->second.get();
}

BoxTree buildBoxes(const Node& root, const Environment& env) {
  BoxTree tree;
  Builder builder(env, &tree.background);
  tree.root = builder.build(root, Style{}, Axis::vertical);
  tree.redacted = env.redacted;
  return tree;
}

namespace {

void collectBoxFrames(const Box& b, std::unordered_map<const Node*, Rect>& out) {
  if (b.node) out.emplace(b.node, b.frame);  // the outermost box of a node comes first
  for (const Box& c : b.placedChildren()) collectBoxFrames(c, out);
}

std::optional<Rect> fillFlattened(const Node& n, std::unordered_map<const Node*, Rect>& frames) {
  std::optional<Rect> children;
  for (const Node& c : n.children) children = unite(children, fillFlattened(c, frames));
  // Only elements already made can have frames: walking the others would
  // make every element of a lazy ForEach.
  n.elements.forEachMade([&](std::size_t, const ForEachElement& e) {
    for (const Node& c : e.content) children = unite(children, fillFlattened(c, frames));
  });
  if (auto it = frames.find(&n); it != frames.end()) return it->second;
  if (children) frames.emplace(&n, *children);
  return children;
}

}  // namespace

std::unordered_map<const Node*, Rect> nodeFrames(const BoxTree& tree, const Node& root) {
  std::unordered_map<const Node*, Rect> frames;
  collectBoxFrames(tree.root, frames);
  fillFlattened(root, frames);
  return frames;
}

}  // namespace corvane
