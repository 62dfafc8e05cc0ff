#include "app/window/run_window.hpp"

#include <gtk/gtk.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <thread>

#include "app/cli/exit_codes.hpp"
#include "app/run/host_setup.hpp"
#include "app/window/desktop_output.hpp"
#include "platform/desktop/display_session.hpp"
#include "platform/desktop/shell_extension.hpp"
#include "platform/desktop/widget_settings.hpp"
#include "platform/host/widget_host.hpp"
#include "platform/process/host_process.hpp"
#include "platform/process/instance_lock.hpp"
#include "widget/today_widget.hpp"

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
// How long a second window process waits for the first to take its
// families: the first may itself still be waiting for the display.
constexpr double kHandOverPatience = kDisplayPatience + 15;

// The systemd user unit the package installs.
constexpr const char* kUserUnit = "corvane-widget.service";

// What the program starts afresh with when the display goes away. The
// families shown then travel in this variable, so the same widgets come back.
char** gArgv = nullptr;
constexpr const char* kShownVariable = "CORVANE_WIDGET_SHOWN";
std::function<std::vector<std::string>()> gShown;

// Starts the program afresh with the widgets shown now. Descriptors are
// closed on exec, which also lets the instance lock go for the new program
// to take.
[[noreturn]] void startAgain(const char* why) {
  std::fprintf(stderr, "corvane-widget: %s\n", why);
  std::fflush(stderr);
  if (gArgv) {
    std::string shown;
    if (gShown)
      for (const std::string& f : gShown()) shown += (shown.empty() ? "" : ",") + f;
    if (!shown.empty()) ::setenv(kShownVariable, shown.c_str(), 1);
    ::execv("/proc/self/exe", gArgv);
    std::perror("corvane-widget: could not start again");
  }
  _exit(kExitDisplayLost);
}

// An Xwayland restarted by its compositor, a nested session: the display
// may come back. GTK cannot open one again once its connection broke, so
// the program starts afresh and waits for a display as at a late login start.
[[noreturn]] void displayLost() { startAgain("the display went away; starting again to wait for it"); }

// How long the Shell may take to start the extension's keeper once asked (s).
constexpr guint kKeeperPatience = 10;

// The widget's menu turned the Shell extension on: once its keeper answers,
// the program starts again, to be started by it.
void useShellExtension() {
  if (!shell::turnOn()) {
    std::cerr << "corvane-widget: GNOME Shell did not turn the widget's extension on\n";
    return;
  }
  static guint watch = 0, patience = 0;
  if (watch) return;
  watch = g_bus_watch_name(
      G_BUS_TYPE_SESSION, shell::kKeeperName, G_BUS_NAME_WATCHER_FLAGS_NONE,
      +[](GDBusConnection*, const char*, const char*, gpointer) {
        startAgain("GNOME Shell's extension is on; starting again as a widget it keeps");
      },
      nullptr, nullptr, nullptr);
  patience = g_timeout_add_seconds(
      kKeeperPatience,
      +[](gpointer) -> gboolean {
        g_bus_unwatch_name(watch);
        watch = patience = 0;
        std::cerr << "corvane-widget: the widget's GNOME Shell extension is on but did not answer; it may need the "
                     "next login\n";
        return G_SOURCE_REMOVE;
      },
      nullptr);
}

// The families shown before the display went away, if this program started
// again after that; the variable is not handed on to what it starts.
std::vector<std::string> shownBeforeLoss() {
  std::vector<std::string> families;
  if (const char* shown = std::getenv(kShownVariable)) {
    std::string list = shown;
    for (std::size_t at = 0; at <= list.size();) {
      const std::size_t comma = std::min(list.find(',', at), list.size());
      if (comma > at) families.push_back(list.substr(at, comma - at));
      at = comma + 1;
    }
    ::unsetenv(kShownVariable);
  }
  return families;
}

// One window process per user, decided before any window is shown: the
// process that holds the lock shows the widgets; another hands its families
// to it, waiting while it starts (it opens its channel once its display
// answers). True when they were handed over.
bool handedOver(InstanceLock& lock, const std::vector<std::string>& names) {
  if (lock.reason()) {
    // No lock to be had: a process already running, if any, is asked once.
    std::cerr << "corvane-widget: no instance lock (" << *lock.reason() << ")\n";
    return HostProcess::handOver("show", names).empty();
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kHandOverPatience);
  while (!lock.held()) {
    if (HostProcess::handOver("show", names).empty()) return true;
    if (std::chrono::steady_clock::now() >= deadline)
      throw CommandFailure(kExitUsage, "another widget process is starting but did not answer within " +
                                           std::to_string(int(kHandOverPatience)) + " s");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    lock.tryAgain();
  }
  return false;
}

// Whether the user's systemd unit is enabled (systemctl --user enable, or
// --global for every user): it starts the widget at login itself, and the
// autostart entry stands down so that one process starts, not two.
bool userUnitEnabled() {
  namespace fs = std::filesystem;
  std::vector<fs::path> roots;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (config && *config == '/')
    roots.emplace_back(fs::path(config) / "systemd/user");
  else if (home && *home == '/')
    roots.emplace_back(fs::path(home) / ".config/systemd/user");
  roots.emplace_back("/etc/systemd/user");
  for (const fs::path& root : roots) {
    std::error_code ec;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      if (name.size() > 6 && name.ends_with(".wants") && fs::exists(it->path() / kUserUnit, ec)) return true;
    }
  }
  return false;
}

}  // namespace

void rememberCommandLine(char** argv) { gArgv = argv; }

void runWindows(const WindowRunOptions& o) {
  if (o.autostart && userUnitEnabled()) {
    std::cerr << "corvane-widget: the systemd user unit " << kUserUnit
              << " is enabled and starts the widget; the autostart entry stands down\n";
    return;
  }
  // On GNOME, the Shell's extension keeps the widget if it is on.
  const shell::ExtensionState extension = shell::kept() ? shell::ExtensionState::on : shell::extensionState();
  if (extension == shell::ExtensionState::on && !shell::kept()) {
    if (auto status = shell::runThroughKeeper(gArgv + 1)) {
      std::fflush(nullptr);
      std::exit(*status);
    }
  }
  if (auto note = shell::stateNote(extension)) std::cerr << *note << '\n';
  std::vector<std::string> declared;
  for (WidgetFamily f : declaredFamilies()) declared.emplace_back(familyShortName(f));
  // What a person set up last time, unless --family says otherwise.
  WidgetSettings settings(WidgetSettings::defaultFolder());
  if (auto damaged = settings.load(declared))
    std::cerr << "corvane-widget: " << settings.path() << ": " << *damaged << '\n';
  std::vector<std::string> asked = shownBeforeLoss();
  if (asked.empty()) asked = o.families;
  if (asked.empty())
    for (const WidgetSetting& w : settings.widgets()) asked.push_back(w.family);
  if (asked.empty()) asked = {"medium"};
  std::vector<std::string> names;
  for (const std::string& f : asked) {
    if (!isWindowFamily(f)) throw CommandFailure(kExitUsage, "a window shows small, medium or large, not " + f);
    if (std::find(names.begin(), names.end(), f) == names.end()) names.push_back(f);
  }

  InstanceLock lock(kWindowLockName);
  if (handedOver(lock, names)) {
    std::cerr << "corvane-widget: the widget is already running; asked it to show the widget\n";
    return;
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
  if (!shell::kept() && gnomeDesktopIconsOn())
    std::cerr << "corvane-widget: GNOME's desktop icons lie over the widget: it shows through them, but clicks, "
                 "drags and its menu reach the icons; `corvane-widget run --family F --position P` places it, and "
                 "`corvane-widget reload` reloads it\n";

  std::vector<WidgetFamily> families;
  families.reserve(names.size());
  for (const std::string& f : names) families.push_back(parseFamily(f));

  HostSettings host;
  host.environment = resolveEnvironment(o.env, families.front(), monitorScale(o.monitor));
  host.clock = hostClockFor(o.env, o.speed);
  const auto verdict = std::make_shared<SnapshotVerdict>();
  TodayConfiguration config = configurationFor(o.snapshotFile, o.env, host.clock, verdict);

  HostProcess process;
  DesktopOutput output(o, fonts, process, settings, int(host.environment.displayScale), verdict);
  if (extension == shell::ExtensionState::off) output.offerShellExtension(useShellExtension);
  WidgetHost widgetHost(widgetSourceFor(config), host, fonts, output);
  output.attach(widgetHost);
  serveUntilEnd(process, widgetHost, output, o.snapshotFile, o.watch, o.env, [&] {
    process.addCommand(
        "show",
        [&output](const std::string& family) {
          // Another run asked: a person's wish, kept for the next run.
          if (isWindowFamily(family)) output.open(*familyFromName(family), true);
        },
        true);
    for (WidgetFamily f : families) output.open(f);
    gShown = [&output] { return output.families(); };
  });
  gShown = nullptr;
}

}  // namespace corvane
