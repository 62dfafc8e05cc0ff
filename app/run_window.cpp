#include "app/run_window.hpp"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "app/desktop_output.hpp"
#include "app/exit_codes.hpp"
#include "app/host_setup.hpp"
#include "platform/desktop/display_session.hpp"
#include "platform/desktop/widget_settings.hpp"
#include "platform/live/live_process.hpp"
#include "platform/live/widget_host.hpp"
#include "timeline/today_widget.hpp"

namespace corvane {
namespace {

// A window shows one of the families the widget declares.
bool isWindowFamily(std::string_view name) {
  const auto family = familyFromName(name);
  const auto declared = declaredFamilies();
  return family && std::find(declared.begin(), declared.end(), *family) != declared.end();
}

// How long a display that does not answer yet is waited for: a login
// session may start the widget before its compositor accepts clients.
constexpr double kDisplayPatience = 30;

void displayLost() {
  std::fputs("corvane-widget: the display went away; the widget closes\n", stderr);
  std::fflush(stderr);
  _exit(kExitDisplayLost);
}

}  // namespace

void runWindows(const WindowRunOptions& o) {
  std::vector<std::string> declared;
  for (WidgetFamily f : declaredFamilies()) declared.emplace_back(familyShortName(f));
  // What a person set up last time, unless --family says otherwise.
  WidgetSettings settings(WidgetSettings::defaultFolder());
  if (auto damaged = settings.load(declared))
    std::cerr << "corvane-widget: " << settings.path() << ": " << *damaged << "; the widgets kept there are ignored\n";
  std::vector<std::string> asked = o.families;
  if (asked.empty())
    for (const WidgetSetting& w : settings.widgets()) asked.push_back(w.family);
  if (asked.empty()) asked = {"medium"};
  std::vector<std::string> names;
  for (const std::string& f : asked) {
    if (!isWindowFamily(f)) throw CommandFailure(kExitUsage, "a window shows small, medium or large, not " + f);
    if (std::find(names.begin(), names.end(), f) == names.end()) names.push_back(f);
  }

  // Our fontconfig configuration becomes the current one before GTK starts,
  // so GTK's own texts (the menu) use the project's fonts and the system's
  // font configuration and caches are never loaded.
  FontLibrary fonts;
  g_set_prgname("corvane-widget");
  switch (openDisplay(kDisplayPatience)) {
    case DisplayOpened::yes: break;
    case DisplayOpened::noneNamed:
      throw CommandFailure(kExitUsage,
                           "no display to show the widget on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                           "`corvane-widget run --headless --out DIR` keeps pictures of it current without one");
    case DisplayOpened::noAnswer:
      throw CommandFailure(kExitUsage, "the display (DISPLAY or WAYLAND_DISPLAY) did not answer within " +
                                           std::to_string(int(kDisplayPatience)) +
                                           " s; `corvane-widget run --headless --out DIR` keeps pictures of the "
                                           "widget current without one");
  }
  gdk_set_program_class("corvane-widget");  // after GTK's start, which sets its own
  watchDisplayLoss(displayLost);
  if (gnomeDesktopIconsOn())
    std::cerr << "corvane-widget: GNOME's desktop icons lie over the widget: it shows through them, but clicks, "
                 "drags and its menu reach the icons; `corvane-widget run --family F --position P` places it, and "
                 "`corvane-widget reload` reloads it\n";

  // One window per family per user: a process already showing widgets is
  // asked to show these; this one opens only what none of them took.
  const std::vector<std::string> left = LiveProcess::handOver("show", names);
  if (left.empty()) {
    std::cerr << "corvane-widget: the widget is already running; asked it to show the widget\n";
    return;
  }
  std::vector<WidgetFamily> families;
  families.reserve(left.size());
  for (const std::string& f : left) families.push_back(parseFamily(f));

  HostSettings host;
  host.environment = resolveEnvironment(o.env, families.front(), monitorScale(o.monitor));
  host.clock = hostClockFor(o.env, o.speed);
  TodayConfiguration config = configurationFor(o.snapshotFile, o.env, host.clock);

  LiveProcess process;
  DesktopOutput output(o, fonts, process, settings, int(host.environment.displayScale));
  WidgetHost widgetHost(widgetSourceFor(config), host, fonts, output);
  output.attach(widgetHost);
  LiveProcess::reportFaultsTo([&output, &widgetHost](std::string_view where, std::string_view what) {
    output.fault(widgetHost.now(), where, what);
  });
  process.onReload([&widgetHost] { widgetHost.requestReload(); });
  if (o.watch) watchSnapshot(process, o.snapshotFile);
  process.addCommand(
      "show",
      [&output](const std::string& family) {
        if (isWindowFamily(family)) output.open(*familyFromName(family));
      },
      true);
  for (WidgetFamily f : families) output.open(f);
  process.run([&widgetHost] { widgetHost.start(); });
}

}  // namespace corvane
