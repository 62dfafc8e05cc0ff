#include "app/run_window.hpp"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>

#include "app/exit_codes.hpp"
#include "app/host_events.hpp"
#include "app/host_setup.hpp"
#include "data/store.hpp"
#include "platform/desktop/reading_order.hpp"
#include "platform/desktop/widget_window.hpp"
#include "platform/live/command_channel.hpp"
#include "platform/live/widget_host.hpp"
#include "support/json_writer.hpp"
#include "timeline/today_widget.hpp"
#include "views/header.hpp"

namespace corvane {
namespace {

constexpr std::string_view kWindowFamilies[] = {"small", "medium", "large"};

bool isWindowFamily(std::string_view f) {
  return std::find(std::begin(kWindowFamilies), std::end(kWindowFamilies), f) != std::end(kWindowFamilies);
}

// A family's live view as a window shows it. GTK clips each paint to the
// region that changed, so a ticking text repaints only its own pixels.
class LivePicture final : public WindowPicture {
 public:
  LivePicture(WidgetFamily family, const FontLibrary& fonts, std::function<void(const LiveView&)> painted,
              std::function<void(int)> scaleSeen)
      : family_(family), fonts_(fonts), painted_(std::move(painted)), scaleSeen_(std::move(scaleSeen)) {}

  const LiveView* view = nullptr;

  void setFamily(WidgetFamily f) { family_ = f; }

  Size size() const override {
    const WidgetCanvas c = canvasFor(family_);
    return {c.width, c.height};
  }
  double cornerRadius() const override { return canvasFor(family_).cornerRadius; }
  void paint(cairo_t* cr, int scale) override {
    if (scaleSeen_) scaleSeen_(scale);
    if (!view) return;
    view->paint(cr, fonts_);
    if (painted_) painted_(*view);
  }
  std::string description() const override { return view ? readingOrderText(view->boxes()) : std::string(); }

 private:
  WidgetFamily family_;
  const FontLibrary& fonts_;
  std::function<void(const LiveView&)> painted_;
  std::function<void(int)> scaleSeen_;
};

// The windows of one process, fed by its host.
class DesktopOutput final : public EventPrintingListener {
 public:
  DesktopOutput(const WindowRunOptions& options, const FontLibrary& fonts, GMainLoop* loop, int scale)
      : EventPrintingListener(options.events),
        options_(options),
        fonts_(fonts),
        loop_(loop),
        places_(RememberedPlaces::defaultPath()),
        scale_(scale) {
    places_.load();
    corner_ = cornerFromName(options.position).value_or(Corner::topRight);
  }

  ~DesktopOutput() override {
    if (scaleIdle_) g_source_remove(scaleIdle_);
  }
  DesktopOutput(const DesktopOutput&) = delete;
  DesktopOutput& operator=(const DesktopOutput&) = delete;

  void attach(WidgetHost& host) { host_ = &host; }

  // Opens the window of `family` (shown once its first view is drawn), or
  // shows the open one again.
  void open(WidgetFamily family) {
    if (auto it = windows_.find(family); it != windows_.end()) {
      if (it->second.picture->view) it->second.window->present();
      return;
    }
    const std::string name(familyShortName(family));
    Shown& s = windows_[family];
    s.picture = std::make_unique<LivePicture>(
        family, fonts_, [this, family](const LiveView& v) { drawn(host_->now(), family, v); },
        [this, family](int scale) { scaleSeen(family, scale); });
    // Several widgets line up along the edge from the chosen corner.
    WindowPlacement placement{corner_, options_.margin, nextOffset_, options_.monitor, places_.place(name)};
    nextOffset_ += s.picture->size().width + options_.margin;
    WindowActions actions;
    actions.reload = [this] { host_->requestReload(); };
    actions.quit = [this] { g_main_loop_quit(loop_); };
    actions.resize = [this](std::string_view from, std::string_view to) {
      resize(*familyFromName(from), *familyFromName(to));
    };
    actions.moved = [this](std::string_view f, double x, double y) { remember(f, x, y); };
    s.window = std::make_unique<WidgetWindow>(nullptr, *s.picture, name, placement, std::move(actions));
    if (host_ && started_) host_->addFamily(family);
  }

  void started() { started_ = true; }

  void viewReplaced(WidgetFamily family, const LiveView& view) override {
    auto it = windows_.find(family);
    if (it == windows_.end()) return;
    const bool first = !it->second.picture->view;
    it->second.picture->view = &view;
    it->second.window->pictureChanged();
    if (first) it->second.window->present();
  }
  void viewChanged(WidgetFamily family, const LiveView& view, Rect damage) override {
    auto it = windows_.find(family);
    if (it == windows_.end()) return;
    it->second.picture->view = &view;
    it->second.window->pictureChanged(damage);
  }
  void viewRemoved(WidgetFamily family) override {
    if (auto it = windows_.find(family); it != windows_.end()) it->second.picture->view = nullptr;
  }

 private:
  struct Shown {
    std::unique_ptr<LivePicture> picture;
    std::unique_ptr<WidgetWindow> window;
  };

  // The menu's Size: this window shows another family, unless a window of
  // that family is already open.
  void resize(WidgetFamily from, WidgetFamily to) {
    if (from == to || windows_.contains(to) || !windows_.contains(from)) return;
    auto node = windows_.extract(from);
    node.key() = to;
    Shown& s = windows_.insert(std::move(node)).position->second;
    s.picture->view = nullptr;
    s.picture->setFamily(to);
    host_->removeFamily(from);
    scales_.erase(from);
    s.window->familyChanged(familyShortName(to));
    host_->addFamily(to);  // draws the new view
  }

  // A window is drawn at another scale than the views are laid out for:
  // lay them out again (after this paint, which shows the old layout scaled).
  // The host has one scale for all its views: with windows on monitors of
  // different scales, the largest, so that they never take turns.
  void scaleSeen(WidgetFamily family, int scale) {
    scales_[family] = scale;
    int want = 1;
    for (const auto& [f, s] : scales_) want = std::max(want, s);
    if (want == scale_) return;
    scale_ = want;
    if (!scaleIdle_)
      scaleIdle_ = g_idle_add(
          +[](gpointer self) -> gboolean {
            auto* out = static_cast<DesktopOutput*>(self);
            out->scaleIdle_ = 0;
            if (out->host_) out->host_->setDisplayScale(out->scale_);
            return G_SOURCE_REMOVE;
          },
          this);
  }

  void remember(std::string_view family, double x, double y) {
    if (auto error = places_.remember(family, x, y); error && !placeErrorReported_) {
      std::cerr << "corvane-widget: cannot remember the widget's place in " << places_.path() << ": " << *error << '\n';
      placeErrorReported_ = true;
    }
  }

  const WindowRunOptions& options_;
  const FontLibrary& fonts_;
  GMainLoop* loop_;
  WidgetHost* host_ = nullptr;
  RememberedPlaces places_;
  Corner corner_ = Corner::topRight;
  bool started_ = false;
  bool placeErrorReported_ = false;
  double nextOffset_ = 0;
  int scale_ = 1;  // the scale the host lays out for
  guint scaleIdle_ = 0;
  std::map<WidgetFamily, int> scales_;  // each window's scale at its last paint
  std::map<WidgetFamily, Shown> windows_;
};

void displayLost() {
  std::fputs("corvane-widget: the display went away; the widget closes\n", stderr);
  std::fflush(stderr);
  _exit(kExitDisplayLost);
}

// The scale the host lays out for: the chosen (else primary) monitor's.
int startScale(const std::optional<int>& monitor) {
  GdkDisplay* d = gdk_display_get_default();
  GdkMonitor* m = nullptr;
  if (monitor && *monitor < gdk_display_get_n_monitors(d)) m = gdk_display_get_monitor(d, *monitor);
  if (!m) m = gdk_display_get_primary_monitor(d);
  if (!m && gdk_display_get_n_monitors(d) > 0) m = gdk_display_get_monitor(d, 0);
  return m ? gdk_monitor_get_scale_factor(m) : 1;
}

}  // namespace

void runWindows(const WindowRunOptions& o) {
  std::vector<std::string> names = o.families.empty() ? std::vector<std::string>{"medium"} : o.families;
  std::vector<WidgetFamily> families;
  for (const std::string& f : names) {
    if (!isWindowFamily(f)) throw CommandFailure(kExitUsage, "a window shows small, medium or large, not " + f);
    if (std::find(families.begin(), families.end(), parseFamily(f)) == families.end())
      families.push_back(parseFamily(f));
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

  // One window per family per user: a host already showing widgets is asked
  // to show these instead of this process opening duplicates.
  int told = 0;
  for (WidgetFamily f : families) told += tellRunning("show", std::string(familyShortName(f))) > 0;
  if (told == int(families.size())) {
    std::cerr << "corvane-widget: the widget host is already running; asked it to show the widget\n";
    return;
  }

  HostSettings settings;
  settings.families = families;
  settings.environment = resolveEnvironment(o.env, families.front(), startScale(o.monitor));
  settings.clock = hostClockFor(o.env, o.speed);
  TodayConfiguration config = configurationFor(o.snapshotFile, o.env, settings.clock);

  std::unique_ptr<GMainLoop, void (*)(GMainLoop*)> loop(g_main_loop_new(nullptr, FALSE), g_main_loop_unref);
  DesktopOutput output(o, fonts, loop.get(), int(settings.environment.displayScale));
  WidgetHost host(widgetSourceFor(config), settings, fonts, output);
  output.attach(host);
  for (WidgetFamily f : families) output.open(f);

  CommandChannel channel;
  channel.addCommand("reload", [&host](const std::string&) { host.requestReload(); });
  channel.addCommand("quit", [&loop](const std::string&) { g_main_loop_quit(loop.get()); });
  channel.addCommand(
      "show",
      [&output](const std::string& family) {
        if (isWindowFamily(family)) output.open(*familyFromName(family));
      },
      true);
  for (const std::string& problem : channel.open()) std::cerr << "corvane-widget: " << problem << '\n';

  auto quit = +[](gpointer l) -> gboolean {
    g_main_loop_quit(static_cast<GMainLoop*>(l));
    return G_SOURCE_CONTINUE;
  };
  std::vector<guint> signals{g_unix_signal_add(SIGINT, quit, loop.get()), g_unix_signal_add(SIGTERM, quit, loop.get()),
                             g_unix_signal_add(
                                 SIGHUP,
                                 +[](gpointer h) -> gboolean {
                                   static_cast<WidgetHost*>(h)->requestReload();
                                   return G_SOURCE_CONTINUE;
                                 },
                                 &host)};
  host.start();
  output.started();
  g_main_loop_run(loop.get());
  for (guint id : signals) g_source_remove(id);
}

}  // namespace corvane
