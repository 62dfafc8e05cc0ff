#include "platform/ui/tree/tree_dump.hpp"

#include <algorithm>

#include "platform/ui/text/text_case.hpp"

namespace corvane {
namespace {

// Environment values that flow down the tree and change what a text reads.
struct Inherited {
  std::optional<TextCase> textCase;
};

const char* typeName(NodeType t) {
  switch (t) {
    case NodeType::view: return "View";
    case NodeType::vstack: return "VStack";
    case NodeType::hstack: return "HStack";
    case NodeType::spacer: return "Spacer";
    case NodeType::group: return "Group";
    case NodeType::conditional: return "Conditional";
    case NodeType::forEach: return "ForEach";
    case NodeType::lazyVGrid: return "LazyVGrid";
    case NodeType::divider: return "Divider";
    case NodeType::text: return "Text";
    case NodeType::image: return "Image";
    case NodeType::circle: return "Circle";
  }
  return "";
}

const char* alignmentName(HorizontalAlignment a) {
  switch (a) {
    case HorizontalAlignment::leading: return "leading";
    case HorizontalAlignment::center: return "center";
    case HorizontalAlignment::trailing: return "trailing";
  }
  return "";
}

const char* alignmentName(VerticalAlignment a) {
  switch (a) {
    case VerticalAlignment::top: return "top";
    case VerticalAlignment::center: return "center";
    case VerticalAlignment::bottom: return "bottom";
    case VerticalAlignment::firstTextBaseline: return "firstTextBaseline";
  }
  return "";
}

const char* textKindName(TextKind k) {
  switch (k) {
    case TextKind::verbatim: return "verbatim";
    case TextKind::key: return "key";
    case TextKind::interpolation: return "interpolation";
    case TextKind::relative: return "relative";
  }
  return "";
}

void optionalNumber(JsonWriter& out, std::optional<double> v) {
  if (v)
    out.real(*v);
  else
    out.null();
}

void edgeList(JsonWriter& out, EdgeSet e) {
  if (e == EdgeSet::all()) {
    out.string("all");
    return;
  }
  out.beginArray();
  if (e.has(EdgeSet::kTop)) out.string("top");
  if (e.has(EdgeSet::kLeading)) out.string("leading");
  if (e.has(EdgeSet::kBottom)) out.string("bottom");
  if (e.has(EdgeSet::kTrailing)) out.string("trailing");
  out.endArray();
}

void dumpFont(JsonWriter& out, const Font& f) {
  out.beginObject().key("size").real(f.size).key("weight");
  if (f.weight)
    out.string(weightName(*f.weight));
  else
    out.null();
  out.key("design");
  if (f.design)
    out.string(designName(*f.design));
  else
    out.null();
  out.endObject();
}

struct ModifierWriter {
  JsonWriter& out;
  void operator()(const FontModifier& m) {
    out.key("font");
    dumpFont(out, m.font);
  }
  void operator()(const ForegroundStyle& m) {
    out.key("foregroundStyle");
    dumpColor(out, m.color);
  }
  void operator()(const LineLimit& m) {
    out.key("lineLimit");
    if (m.lines)
      out.integer(*m.lines);
    else
      out.null();
  }
  void operator()(const TextCaseModifier& m) {
    out.key("textCase");
    if (!m.textCase)
      out.null();
    else
      out.string(*m.textCase == TextCase::uppercase ? "uppercase" : "lowercase");
  }
  void operator()(const Padding& m) {
    out.key("padding").beginObject();
    if (m.edges) {
      out.key("edges");
      edgeList(out, *m.edges);
      double length = m.insets.top + m.insets.leading + m.insets.bottom + m.insets.trailing;
      int count = m.edges->has(EdgeSet::kTop) + m.edges->has(EdgeSet::kLeading) + m.edges->has(EdgeSet::kBottom) +
                  m.edges->has(EdgeSet::kTrailing);
      out.key("length").real(count ? length / count : 0);
    } else {
      out.key("top").real(m.insets.top).key("leading").real(m.insets.leading);
      out.key("bottom").real(m.insets.bottom).key("trailing").real(m.insets.trailing);
    }
    out.endObject();
  }
  void operator()(const Frame& m) {
    out.key("frame").beginObject().key("width");
    optionalNumber(out, m.width);
    out.key("height");
    optionalNumber(out, m.height);
    out.key("alignment").string("center").endObject();
  }
  void operator()(const Overlay& m) {
    out.key("overlay").beginObject().key("color");
    dumpColor(out, m.color);
    out.key("ignoresSafeAreaEdges");
    edgeList(out, m.ignoresSafeAreaEdges);
    out.endObject();
  }
  void operator()(const ContainerBackground& m) {
    out.key("containerBackground").beginObject().key("color");
    dumpColor(out, m.color);
    out.key("placement").string("widget").endObject();
  }
  void operator()(const Fill& m) {
    out.key("fill");
    dumpColor(out, m.color);
  }
};

class Dumper {
 public:
  Dumper(JsonWriter& out, const Environment& env, const FrameLookup& frames) : out_(out), env_(env), frames_(frames) {}

  void node(const Node& n, Inherited inherited) {
    // The modifier applied first (the innermost) wins, as in the layout.
    std::for_each(n.modifiers.rbegin(), n.modifiers.rend(), [&](const Modifier& m) {
      if (const auto* tc = std::get_if<TextCaseModifier>(&m)) inherited.textCase = tc->textCase;
    });
    out_.beginObject();
    if (n.type == NodeType::view) {
      out_.key("view").string(n.viewName);
    } else {
      out_.key("type").string(typeName(n.type));
      properties(n, inherited);
    }
    if (!n.modifiers.empty()) {
      out_.key("modifiers").beginArray();
      for (const Modifier& m : n.modifiers) {
        out_.beginObject();
        std::visit(ModifierWriter{out_}, m);
        out_.endObject();
      }
      out_.endArray();
    }
    frame(n);
    children(n, inherited);
    out_.endObject();
  }

 private:
  void properties(const Node& n, const Inherited& inherited) {
    switch (n.type) {
      case NodeType::vstack:
        out_.key("alignment").string(alignmentName(n.hAlignment));
        spacing(n);
        break;
      case NodeType::hstack:
        out_.key("alignment").string(alignmentName(n.vAlignment));
        spacing(n);
        break;
      case NodeType::spacer:
        out_.key("minLength");
        optionalNumber(out_, n.minLength);
        break;
      case NodeType::conditional: out_.key("branch").string(n.branch == Branch::first ? "first" : "second"); break;
      case NodeType::forEach: out_.key("id").string("\\.self"); break;
      case NodeType::lazyVGrid: grid(n); break;
      case NodeType::text: text(n, inherited); break;
      case NodeType::image: out_.key("systemName").string(n.systemName); break;
      default: break;
    }
  }

  void spacing(const Node& n) {
    out_.key("spacing");
    optionalNumber(out_, n.spacing);
  }

  void grid(const Node& n) {
    out_.key("columns").beginArray();
    for (const GridItem& c : n.columns) {
      out_.beginObject().key("size").beginObject().key("flexible").beginObject();
      out_.key("minimum").real(c.minimum).key("maximum");
      if (c.maximum == kInfinity)
        out_.string("infinity");
      else
        out_.real(c.maximum);
      out_.endObject().endObject().key("spacing");
      optionalNumber(out_, c.spacing);
      out_.key("alignment");
      if (c.alignment)
        out_.string("center");
      else
        out_.null();
      out_.endObject();
    }
    out_.endArray().key("alignment").string(alignmentName(n.hAlignment));
    spacing(n);
    out_.key("pinnedViews").beginArray().endArray();
  }

  void text(const Node& n, const Inherited& inherited) {
    const TextContent& t = n.text;
    out_.key("kind").string(textKindName(t.kind));
    switch (t.kind) {
      case TextKind::verbatim: out_.key("string").string(t.string); break;
      case TextKind::key: out_.key("key").string(t.string); break;
      case TextKind::interpolation:
        out_.key("key").string(t.string).key("arguments").beginArray();
        for (const TextArgument& a : t.arguments) {
          if (const auto* i = std::get_if<std::int64_t>(&a))
            out_.integer(*i);
          else
            out_.string(std::get<std::string>(a));
        }
        out_.endArray();
        break;
      case TextKind::relative: out_.key("date").real(t.date.sinceEpoch).key("style").string("relative"); break;
    }
    std::string reads = renderText(t, env_);
    if (inherited.textCase) reads = applyTextCase(reads, *inherited.textCase, env_.locale);
    out_.key("text").string(reads);
  }

  void frame(const Node& n) {
    if (!frames_) return;
    if (auto r = frames_(n)) {
      out_.key("frame").beginObject().key("x").real(r->x).key("y").real(r->y);
      out_.key("width").real(r->width).key("height").real(r->height).endObject();
    }
  }

  void children(const Node& n, const Inherited& inherited) {
    if (n.type == NodeType::view) {
      out_.key("body");
      node(onlyChild(n), inherited);
    } else if (n.type == NodeType::conditional) {
      out_.key("content");
      node(onlyChild(n), inherited);
    } else if (n.type == NodeType::forEach) {
      out_.key("elements").beginArray();
      for (const ForEachElement& e : n.elements) {
        out_.beginObject().key("id").raw(e.id.json()).key("content").beginArray();
        for (const Node& c : e.content) node(c, inherited);
        out_.endArray().endObject();
      }
      out_.endArray();
    } else if (!n.children.empty() || n.type == NodeType::vstack || n.type == NodeType::hstack ||
               n.type == NodeType::group || n.type == NodeType::lazyVGrid) {
      out_.key("children").beginArray();
      for (const Node& c : n.children) node(c, inherited);
      out_.endArray();
    }
  }

  JsonWriter& out_;
  const Environment& env_;
  const FrameLookup& frames_;
};

}  // namespace

void dumpColor(JsonWriter& out, const Color& c) {
  out.beginObject().key("name");
  if (c.name.empty())
    out.null();
  else
    out.string(c.name);
  out.key("hex").string(c.hexString()).key("opacity").real(c.opacity).endObject();
}

void dumpTree(JsonWriter& out, const Node& root, const Environment& env, const FrameLookup& frames) {
  Dumper(out, env, frames).node(root, {});
}

}  // namespace corvane
