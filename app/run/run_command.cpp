#include "app/run/run_command.hpp"

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <span>

#include "app/cli/entry_source.hpp"
#include "app/cli/exit_codes.hpp"
#include "app/cli/option_checks.hpp"
#include "app/run/headless_output.hpp"
#include "app/run/host_setup.hpp"
#include "data/store.hpp"
#include "platform/process/command_channel.hpp"
#include "platform/process/command_client.hpp"
#include "platform/process/host_process.hpp"
#include "support/file_io.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

constexpr double kDay = 86400;  // seconds

struct RunOptions {
  bool headless = false;
  std::string out;
  std::vector<std::string> families;  // none: all (headless) or medium (window)
  double scale = 1;
  double interval = 60;
  std::string snapshotFile;
  EnvironmentOptions env;
  double speed = 1;
  bool events = false;
  bool watch = false;
};

// A folder that cannot take the pictures stops `run` before anything runs.
void checkFolder(const std::string& folder) {
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec))
    throw CommandFailure(kExitUsage, folder + ": " + (ec ? ec.message() : std::string("not a folder")));
  if (::access(folder.c_str(), W_OK | X_OK) != 0)
    throw CommandFailure(kExitUsage, folder + ": " + std::strerror(errno));
}

void runHeadless(const RunOptions& o) {
  if (o.out.empty()) throw CommandFailure(kExitUsage, "run --headless needs --out DIR");
  checkFolder(o.out);
  // Pictures and their PNG bytes (up to a few MB) come and go all day. With
  // a fixed threshold they are always mapped and unmapped whole; glibc's
  // moving threshold would put them on the heap, whose free pages it keeps:
  // the resident size grew by 5 MB in a simulated week without this.
  ::mallopt(M_MMAP_THRESHOLD, 128 * 1024);

  std::vector<WidgetFamily> families;
  if (o.families.empty() || std::count(o.families.begin(), o.families.end(), "all"))
    families = declaredFamilies();
  else
    for (const std::string& f : o.families) families.push_back(parseFamily(f));
  // What a host that was killed while writing left behind.
  for (WidgetFamily f : families) removeStaleTemporaries(HeadlessOutput::picturePath(o.out, f));
  HostSettings settings;
  settings.families = families;
  settings.environment = resolveEnvironment(o.env, families.front(), o.scale);
  settings.clock = hostClockFor(o.env, o.speed);
  // A missing or invalid snapshot file is an empty state, not an error.
  const auto verdict = std::make_shared<SnapshotVerdict>();
  TodayConfiguration config = configurationFor(o.snapshotFile, o.env, settings.clock, verdict);

  FontLibrary fonts;
  HeadlessOutput output(o.out, o.interval, o.events, settings.clock, fonts, verdict);
  HostProcess process;
  WidgetHost host(widgetSourceFor(config), settings, fonts, output);
  serveUntilEnd(process, host, output, o.snapshotFile, o.watch, o.env);
}

// Options that do nothing in the other mode are refused, not ignored.
void refuseOtherModesOptions(const CLI::App& run, bool headless) {
  struct Only {
    const char* option;
    const char* why;
  };
  static constexpr std::array<Only, 3> kHeadless{{
      {"--out", "a window run writes no pictures"},
      {"--scale", "a window takes its monitor's scale"},
      {"--interval", "a window shows every change at once"},
  }};
  static constexpr std::array<Only, 4> kWindow{{
      {"--position", "run --headless places no window"},
      {"--margin", "run --headless places no window"},
      {"--monitor", "run --headless places no window"},
      {"--autostart", "run --headless is not started by the session's autostart entry"},
  }};
  for (const Only& o : headless ? std::span<const Only>(kWindow) : std::span<const Only>(kHeadless)) {
    if (run.count(o.option) == 0) continue;
    throw CommandFailure(
        kExitUsage, std::string(o.option) + (headless ? " is for a window run: " : " is for run --headless: ") + o.why);
  }
}

}  // namespace

void addRunCommands(CLI::App& app, WindowRunner windows) {
  auto o = std::make_shared<RunOptions>();
  CLI::App* run = app.add_subcommand("run", "Keep the widget running: timelines, live times, pictures kept current");
  run->add_flag("--headless", o->headless, "no window: keep DIR/widget-FAMILY.png current");
  run->add_option("--out", o->out, "headless: the folder for the pictures (must exist and be writable)");
  run->add_option("--family", o->families, "small, medium, large or all (repeat for several windows)")
      ->check(CLI::IsMember({"small", "medium", "large", "all"}));
  auto window = std::make_shared<WindowRunOptions>();
  addWindowOptions(*run, *window);
  run->add_option("--scale", o->scale, "headless: pixels per point")->check(scaleCheck())->capture_default_str();
  run->add_option("--interval", o->interval,
                  "headless: seconds of host time between pictures that differ only in the freshness line (1: every "
                  "change)")
      ->check(finiteBetween(0.001, kDay))
      ->capture_default_str();
  run->add_option("--snapshot", o->snapshotFile, "read this snapshot file instead of the user's, by the same rules");
  run->add_option("--speed", o->speed, "run the host's clock this many times faster than real time")
      ->check(finiteBetween(1e-6, 1e6))
      ->capture_default_str();
  run->add_flag("--events", o->events, "print every host event as one JSON object per line");
  run->add_flag("--watch", o->watch, "reload as soon as the snapshot file changes (while writing one)");
  addEnvironmentOptions(*run, o->env);
  run->callback([run, o, window, windows = std::move(windows)] {
    refuseOtherModesOptions(*run, o->headless);
    if (o->headless) return runHeadless(*o);
    window->placeGiven = run->count("--position") + run->count("--margin") + run->count("--monitor") > 0;
    window->families = o->families;
    window->snapshotFile = o->snapshotFile;
    window->env = o->env;
    window->speed = o->speed;
    window->events = o->events;
    window->watch = o->watch;
    windows(*window);
  });

  CLI::App* reload = app.add_subcommand("reload", "Ask every widget host running for this user for a new timeline now");
  reload->callback([] {
    std::vector<std::string> refused;
    const int told = tellRunning("reload", {}, &refused);
    // Every host must take it: one that could not is worth a failure.
    if (!refused.empty()) throw CommandFailure(kExitInvalid, "a widget host could not reload: " + refused.front());
    if (told == 0) throw CommandFailure(kExitInvalid, "no widget host is running");
  });
}

}  // namespace corvane
