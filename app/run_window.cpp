#include "app/run_window.hpp"

#include <gtk/gtk.h>

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "app/desktop_output.hpp"
#include "app/exit_codes.hpp"
#include "app/host_setup.hpp"
#include "platform/desktop/display_session.hpp"
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

void displayLost() {
  std::fputs("corvane-widget: the display went away; the widget closes\n", stderr);
  std::fflush(stderr);
  _exit(kExitDisplayLost);
}

}  // namespace

void runWindows(const WindowRunOptions& o) {
  std::vector<std::string> names;
  for (const std::string& f : o.families.empty() ? std::vector<std::string>{"medium"} : o.families) {
    if (!isWindowFamily(f)) throw CommandFailure(kExitUsage, "a window shows small, medium or large, not " + f);
    if (std::find(names.begin(), names.end(), f) == names.end()) names.push_back(f);
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

  HostSettings settings;
  settings.environment = resolveEnvironment(o.env, families.front(), monitorScale(o.monitor));
  settings.clock = hostClockFor(o.env, o.speed);
  TodayConfiguration config = configurationFor(o.snapshotFile, o.env, settings.clock);

  LiveProcess process;
  DesktopOutput output(o, fonts, process, int(settings.environment.displayScale));
  WidgetHost host(widgetSourceFor(config), settings, fonts, output);
  output.attach(host);
  LiveProcess::reportFaultsTo(
      [&output, &host](std::string_view where, std::string_view what) { output.fault(host.now(), where, what); });
  process.onReload([&host] { host.requestReload(); });
  process.addCommand(
      "show",
      [&output](const std::string& family) {
        if (isWindowFamily(family)) output.open(*familyFromName(family));
      },
      true);
  for (WidgetFamily f : families) output.open(f);
  process.run([&host] { host.start(); });
}

}  // namespace corvane
