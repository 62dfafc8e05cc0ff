#include "app/run_window.hpp"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <iostream>
#include <map>
#include <memory>

#include "app/exit_codes.hpp"
#include "platform/desktop/placement.hpp"
#include "platform/desktop/reading_order.hpp"
#include "platform/desktop/widget_window.hpp"
#include "platform/ui/paint/painter.hpp"
#include "platform/ui/paint/render.hpp"
#include "platform/ui/text/pango_text.hpp"
#include "timeline/today_widget.hpp"

namespace corvane {
namespace {

constexpr std::string_view kWindowFamilies[] = {"small", "medium", "large"};

// One family's picture: the entry's view laid out at the window's scale and
// read again at the host's clock.
class FamilyPicture : public WindowPicture {
 public:
  FamilyPicture(WidgetFamily family, Entry entry, const EnvironmentOptions& env, const FontLibrary& fonts,
                TextMeasurer& text)
      : family_(family), entry_(std::move(entry)), envOptions_(env), fonts_(fonts), text_(text) {
    relayOut();
  }

  void show(Entry entry) {
    entry_ = std::move(entry);
    relayOut();
  }
  void setFamily(WidgetFamily family) {
    family_ = family;
    relayOut();
  }
  WidgetFamily family() const { return family_; }

  // The clock moved: read the texts again.
  void relayOut() {
    Environment env = resolveEnvironment(envOptions_, family_, scale_);
    tree_ = std::make_unique<Node>(compose(TodayContent{}(entry_), env));
    boxes_ = layOut(*tree_, env, canvasFor(family_), text_);
  }

  Size size() const override {
    const WidgetCanvas c = canvasFor(family_);
    return {c.width, c.height};
  }
  double cornerRadius() const override { return canvasFor(family_).cornerRadius; }
  void paint(cairo_t* cr, int scale) override {
    if (scale != scale_) {
      scale_ = scale;
      relayOut();
    }
    paintWidget(cr, boxes_, canvasFor(family_), fonts_);
  }
  std::string description() const override { return readingOrderText(boxes_); }

 private:
  WidgetFamily family_;
  Entry entry_;
  EnvironmentOptions envOptions_;
  const FontLibrary& fonts_;
  TextMeasurer& text_;
  int scale_ = 1;
  std::unique_ptr<Node> tree_;  // boxes point into it
  BoxTree boxes_;
};

// The windows of one process and what they share.
class DesktopHost {
 public:
  DesktopHost(GtkApplication* app, const WindowRunOptions& options, const FontLibrary& fonts)
      : app_(app), options_(options), fonts_(fonts), text_(fonts), places_(RememberedPlaces::defaultPath()) {
    places_.load();
    corner_ = *cornerFromName(options.position);
  }

  // Shows the window of `family`, opening it if there is none.
  void show(const std::string& family) {
    if (auto it = windows_.find(family); it != windows_.end()) {
      it->second.window->present();
      return;
    }
    Shown& s = windows_[family];
    s.picture = std::make_unique<FamilyPicture>(parseFamily(family), entry(), options_.env, fonts_, text_);
    // Several widgets line up along the edge from the chosen corner.
    WindowPlacement placement{corner_, options_.margin, nextOffset_, options_.monitor, places_.place(family)};
    nextOffset_ += s.picture->size().width + options_.margin;
    WindowActions actions;
    actions.reload = [this] { reload(); };
    actions.quit = [this] { g_application_quit(G_APPLICATION(app_)); };
    actions.resize = [this, key = family](std::string_view to) { resize(key, std::string(to)); };
    actions.moved = [this, key = family](double x, double y) { remember(key, x, y); };
    s.window = std::make_unique<WidgetWindow>(app_, *s.picture, family, placement, std::move(actions));
    s.window->present();
  }

  void reload() {
    Entry e = entry();
    for (auto& [family, s] : windows_) {
      s.picture->show(e);
      s.window->pictureChanged();
    }
  }

  // The clock moved a second: texts that count time read anew.
  void tick() {
    for (auto& [family, s] : windows_) {
      s.picture->relayOut();
      s.window->pictureChanged();
    }
  }

 private:
  struct Shown {
    std::unique_ptr<FamilyPicture> picture;
    std::unique_ptr<WidgetWindow> window;
  };

  Entry entry() const {
    SourceOptions source;
    source.snapshotFile = options_.source.snapshotFile;
    return resolveEntry(source, options_.env);
  }

  // The menu's Size: this window shows another family (unless one is already shown).
  void resize(const std::string& from, const std::string& to) {
    if (from == to || windows_.count(to)) return;
    auto node = windows_.extract(from);
    node.key() = to;
    auto it = windows_.insert(std::move(node)).position;
    it->second.picture->setFamily(parseFamily(to));
    it->second.window->familyChanged(to);
  }

  void remember(const std::string& family, double x, double y) {
    if (auto error = places_.remember(family, x, y); error && !placeErrorReported_) {
      std::cerr << "corvane-widget: cannot remember the widget's place in " << places_.path() << ": " << *error << '\n';
      placeErrorReported_ = true;
    }
  }

  GtkApplication* app_;
  const WindowRunOptions& options_;
  const FontLibrary& fonts_;
  PangoTextMeasurer text_;
  RememberedPlaces places_;
  Corner corner_ = Corner::topRight;
  bool placeErrorReported_ = false;
  double nextOffset_ = 0;
  std::map<std::string, Shown> windows_;
};

void displayLost() {
  std::fputs("corvane-widget: the display went away; the widget closes\n", stderr);
  std::fflush(stderr);
  _exit(kExitDisplayLost);
}

struct AppUnref {
  void operator()(GtkApplication* a) const noexcept { g_object_unref(a); }
};

}  // namespace

void addWindowOptions(CLI::App& run, WindowRunOptions& o) {
  run.add_option("--position", o.position, "the corner of the monitor")
      ->check(CLI::IsMember({"top-left", "top-right", "bottom-left", "bottom-right"}))
      ->capture_default_str();
  run.add_option("--margin", o.margin, "points between the widget and the monitor's edges")
      ->check(CLI::Range(0.0, 1000.0))
      ->capture_default_str();
  run.add_option("--monitor", o.monitor, "the monitor's number (0 is the first; default: the primary)")
      ->check(CLI::NonNegativeNumber);
}

int runWindows(const WindowRunOptions& o) {
  std::vector<std::string> families = o.families.empty() ? std::vector<std::string>{"medium"} : o.families;
  for (const std::string& f : families) {
    if (std::find(std::begin(kWindowFamilies), std::end(kWindowFamilies), f) == std::end(kWindowFamilies))
      throw CommandFailure(kExitUsage, "a window shows small, medium or large, not " + f);
  }
  // Our fontconfig configuration becomes the current one before GTK starts,
  // so GTK's own texts (the menu) use the project's fonts and the system's
  // font configuration and caches are never loaded.
  FontLibrary fonts;
  g_set_prgname("corvane-widget");
  if (!openDisplay())
    throw CommandFailure(kExitUsage,
                         "no display to show the widget on (DISPLAY or WAYLAND_DISPLAY); "
                         "`corvane-widget run --headless --out DIR` keeps pictures of it current without one");
  gdk_set_program_class("corvane-widget");  // after GTK's start, which sets its own
  watchDisplayLoss(displayLost);

  std::unique_ptr<GtkApplication, AppUnref> app(gtk_application_new(TodayWidget::kKind, G_APPLICATION_DEFAULT_FLAGS));
  GError* error = nullptr;
  if (!g_application_register(G_APPLICATION(app.get()), nullptr, &error)) {
    std::string reason = error->message;
    g_error_free(error);
    throw CommandFailure(kExitUsage, "cannot register the widget host: " + reason);
  }
  GVariantBuilder list;
  g_variant_builder_init(&list, G_VARIANT_TYPE_STRING_ARRAY);
  for (const std::string& f : families) g_variant_builder_add(&list, "s", f.c_str());
  GVariant* wanted = g_variant_ref_sink(g_variant_builder_end(&list));
  if (g_application_get_is_remote(G_APPLICATION(app.get()))) {
    // One host per user: the running one shows the families instead of a
    // second process opening duplicate windows.
    g_action_group_activate_action(G_ACTION_GROUP(app.get()), "show", wanted);
    g_variant_unref(wanted);
    g_application_quit(G_APPLICATION(app.get()));
    std::cerr << "corvane-widget: the widget host is already running; asked it to show the widget\n";
    return kExitOk;
  }

  DesktopHost host(app.get(), o, fonts);
  GSimpleAction* show = g_simple_action_new("show", G_VARIANT_TYPE_STRING_ARRAY);
  g_signal_connect(show, "activate", G_CALLBACK(+[](GSimpleAction*, GVariant* p, gpointer h) {
                     GVariantIter it;
                     g_variant_iter_init(&it, p);
                     const char* f = nullptr;
                     while (g_variant_iter_next(&it, "&s", &f))
                       if (std::find(std::begin(kWindowFamilies), std::end(kWindowFamilies), f) != std::end(kWindowFamilies))
                         static_cast<DesktopHost*>(h)->show(f);
                   }),
                   &host);
  g_action_map_add_action(G_ACTION_MAP(app.get()), G_ACTION(show));
  g_object_unref(show);
  GSimpleAction* reload = g_simple_action_new("reload", nullptr);
  g_signal_connect(reload, "activate", G_CALLBACK(+[](GSimpleAction*, GVariant*, gpointer h) {
                     static_cast<DesktopHost*>(h)->reload();
                   }),
                   &host);
  g_action_map_add_action(G_ACTION_MAP(app.get()), G_ACTION(reload));
  g_object_unref(reload);

  g_action_group_activate_action(G_ACTION_GROUP(app.get()), "show", wanted);
  g_variant_unref(wanted);
  // The windows are shown above; a later activation (a launcher) shows them again.
  g_signal_connect(app.get(), "activate", G_CALLBACK(+[](GApplication*, gpointer) {}), nullptr);
  guint ticker = g_timeout_add_seconds(
      1, +[](gpointer h) -> gboolean {
        static_cast<DesktopHost*>(h)->tick();
        return G_SOURCE_CONTINUE;
      },
      &host);
  auto quit = +[](gpointer a) -> gboolean {
    g_application_quit(G_APPLICATION(a));
    return G_SOURCE_CONTINUE;
  };
  guint term = g_unix_signal_add(SIGTERM, quit, app.get());
  guint interrupt = g_unix_signal_add(SIGINT, quit, app.get());
  int status = g_application_run(G_APPLICATION(app.get()), 0, nullptr);
  g_source_remove(ticker);
  g_source_remove(term);
  g_source_remove(interrupt);
  return status;
}

}  // namespace corvane

namespace corvane {

void addWindowRunCommand(CLI::App& app) {
  auto o = std::make_shared<WindowRunOptions>();
  CLI::App* cmd = app.add_subcommand("run", "Show the widget on the desktop and keep it current");
  cmd->add_option("--family", o->families, "small, medium or large; repeat for several windows (default: medium)");
  addWindowOptions(*cmd, *o);
  cmd->add_option("--snapshot", o->source.snapshotFile, "read this snapshot file instead of the user's");
  addEnvironmentOptions(*cmd, o->env);
  cmd->add_option("--speed", o->speed, "run the host's clock this many times faster")->check(CLI::PositiveNumber);
  cmd->add_flag("--events", o->events, "print one JSON line per host event");
  cmd->callback([o] {
    int status = runWindows(*o);
    if (status != kExitOk) throw CommandFailure(static_cast<ExitCode>(status), "the widget host failed");
  });
}

}  // namespace corvane
