#include "app/data_commands.hpp"

#include <iostream>
#include <memory>

#include "app/entry_json.hpp"
#include "app/exit_codes.hpp"
#include "data/decode.hpp"
#include "data/encode.hpp"
#include "data/store.hpp"
#include "platform/host/host_runner.hpp"
#include "support/file_io.hpp"
#include "timeline/today_widget.hpp"

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
  FileRead read = file == "-" ? readStandardInput() : readRegularFile(file);
  if (!read.bytes) throw CommandFailure(kExitUsage, file + ": " + read.reason);
  Decoded decoded = decodeSnapshot(*read.bytes, read.bytes->capacity());
  if (!decoded) throw CommandFailure(kExitInvalid, file + ": " + decoded.error.describe());
  return std::move(*decoded.snapshot);
}

void addDataCommands(CLI::App& app) {
  auto file = std::make_shared<std::string>();
  CLI::App* check = app.add_subcommand("check", "Validate a snapshot file and print it re-encoded as compact JSON");
  check->add_option("FILE", *file, "the snapshot file, or - for standard input")->required();
  check->callback([file] { std::cout << toJson(readSnapshotArgument(*file)) << '\n'; });

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
