#include "app/cli/view_commands.hpp"

#include <iostream>
#include <memory>

#include "app/cli/entry_json.hpp"
#include "app/cli/entry_source.hpp"
#include "platform/ui/paint/render.hpp"
#include "platform/ui/shaping/pango_text.hpp"
#include "platform/ui/tree/tree_dump.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

struct DumpOptions {
  bool layout = false;
  std::string family = "small";
  SourceOptions source;
  EnvironmentOptions env;
};

void printInfo(const CorvaneWidgets& bundle) {
  for (const TodayWidget& widget : bundle.body()) {
    TodayConfiguration config = widget.body();
    JsonWriter out;
    out.beginObject().key("kind").string(config.kind).key("displayName").string(config.displayName);
    out.key("description").string(config.descriptionText).key("families").beginArray();
    for (WidgetFamily f : config.families) out.string(familyName(f));
    out.endArray().endObject();
    std::cout << out.str() << '\n';
  }
}

void printDump(const DumpOptions& o) {
  WidgetFamily family = parseFamily(o.family);
  Environment env = resolveEnvironment(o.env, family, 1);
  Entry entry = resolveEntry(o.source, o.env);
  Node tree = compose(TodayContent{}(entry), env);
  JsonWriter out;
  out.beginObject().key("family").string(familyName(family)).key("entry");
  writeEntry(out, entry);
  out.key("tree");
  if (o.layout) {
    FontLibrary fonts;
    PangoTextMeasurer text(fonts);
    BoxTree boxes = layOut(tree, env, canvasFor(family), text);
    auto frames = nodeFrames(boxes, tree);
    dumpTree(out, tree, env, [&frames](const Node& n) -> std::optional<Rect> {
      auto it = frames.find(&n);
      return it == frames.end() ? std::nullopt : std::optional(it->second);
    });
  } else {
    dumpTree(out, tree, env);
  }
  out.endObject();
  std::cout << out.str() << '\n';
}

}  // namespace

void addViewCommands(CLI::App& app, const CorvaneWidgets& bundle) {
  CLI::App* info = app.add_subcommand("info", "Print the widget's declaration: kind, names and families");
  info->callback([&bundle] { printInfo(bundle); });

  auto dump = std::make_shared<DumpOptions>();
  CLI::App* cmd = app.add_subcommand("dump", "Print the view tree of one entry in one family as JSON");
  cmd->add_option("--family", dump->family, "the family to build the tree for")
      ->check(familyCheck(false))
      ->capture_default_str();
  cmd->add_flag("--layout", dump->layout, "add each node's frame in points, in widget coordinates");
  addSourceOptions(*cmd, dump->source);
  addEnvironmentOptions(*cmd, dump->env);
  cmd->callback([dump] { printDump(*dump); });
}

}  // namespace corvane
