#include "app/cli/data_commands.hpp"

#include <glib-unix.h>

#include <csignal>
#include <iostream>
#include <memory>

#include "app/cli/entry_json.hpp"
#include "app/cli/exit_codes.hpp"
#include "data/decode.hpp"
#include "data/encode.hpp"
#include "data/store.hpp"
#include "platform/process/file_watch.hpp"
#include "platform/protocol/host_runner.hpp"
#include "support/file_io.hpp"
#include "widget/today_widget.hpp"

namespace corvane {
namespace {

void runTimeline(bool preview) {
  const TodayConfiguration config = TodayWidget{}.body();
  HostRunner<TodayConfiguration> host(config);
  TimelineProviderContext ctx;
  ctx.isPreview = preview;

  Entry placeholder = host.placeholder(ctx);
  std::cout << entryLine("placeholder", std::nullopt, placeholder, std::nullopt) << '\n';
  Entry snapshot = host.snapshot(ctx);
  std::cout << entryLine("snapshot", preview, snapshot, std::nullopt) << '\n';
  Timeline<Entry> timeline = host.timeline(ctx);
  for (const Entry& e : timeline.entries)
    std::cout << entryLine("timeline", std::nullopt, e, timeline.policy.date) << '\n';
}

}  // namespace

Snapshot readSnapshotArgument(const std::string& file) {
  FileRead read = file == "-" ? readStandardInput(Store::kMaxFileBytes) : readRegularFile(file, Store::kMaxFileBytes);
  if (!read.bytes) throw CommandFailure(kExitUsage, file + ": " + read.reason);
  Decoded decoded = decodeSnapshot(*read.bytes, read.bytes->capacity());
  if (!decoded) throw CommandFailure(kExitInvalid, file + ": " + decoded.error.describe());
  return std::move(*decoded.snapshot);
}

// One verdict on `file`, as one line on standard output.
void printVerdict(const std::string& file) {
  try {
    std::cout << toJson(readSnapshotArgument(file)) << '\n';
  } catch (const CommandFailure& f) {
    std::cout << (f.code == kExitInvalid ? "invalid: " : "unreadable: ") << f.what() << '\n';
  }
  std::cout.flush();
}

// A verdict now and at every change of `file`, until SIGINT or SIGTERM.
void watchFile(const std::string& file) {
  if (file == "-") throw CommandFailure(kExitUsage, "--watch needs a file, not standard input");
  std::unique_ptr<GMainLoop, void (*)(GMainLoop*)> loop(g_main_loop_new(nullptr, FALSE), g_main_loop_unref);
  std::unique_ptr<FileWatch> watch;
  try {
    watch = std::make_unique<FileWatch>(file, [&file] { printVerdict(file); });
  } catch (const std::runtime_error& e) {
    throw CommandFailure(kExitUsage, e.what());
  }
  auto quit = +[](gpointer l) -> gboolean {
    g_main_loop_quit(static_cast<GMainLoop*>(l));
    return G_SOURCE_CONTINUE;
  };
  const guint signals[] = {g_unix_signal_add(SIGINT, quit, loop.get()), g_unix_signal_add(SIGTERM, quit, loop.get())};
  printVerdict(file);
  g_main_loop_run(loop.get());
  for (guint id : signals) g_source_remove(id);
}

void addDataCommands(CLI::App& app) {
  auto file = std::make_shared<std::string>();
  auto watch = std::make_shared<bool>(false);
  CLI::App* check = app.add_subcommand("check", "Validate a snapshot file and print it re-encoded as compact JSON");
  check->add_option("FILE", *file, "the snapshot file, or - for standard input")->required();
  check->add_flag("--watch", *watch,
                  "check again at every change of FILE, one line each: the compact JSON, or invalid: / unreadable: "
                  "and the reason, until interrupted");
  check->callback([file, watch] {
    if (*watch) return watchFile(*file);
    std::cout << toJson(readSnapshotArgument(*file)) << '\n';
  });

  CLI::App* where = app.add_subcommand("where", "Print the path of the snapshot file the widget reads");
  where->callback([] {
    auto path = Store::file();
    if (!path) throw CommandFailure(kExitUsage, "the user database has no home directory for this user");
    std::cout << *path << '\n';
  });

  auto preview = std::make_shared<bool>(false);
  CLI::App* timeline = app.add_subcommand(
      "timeline", "Ask the provider for a placeholder, a snapshot and a timeline, one JSON object per line");
  timeline->add_flag("--preview", *preview, "mark the snapshot request as made for a preview");
  timeline->callback([preview] { runTimeline(*preview); });
}

}  // namespace corvane
