#pragma once
// Where the drawn entry comes from, as the host would ask for it, and the
// environment it is drawn in: options shared by `dump` and `render`.

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

#include "platform/ui/tree/environment.hpp"
#include "timeline/entry.hpp"

namespace corvane {

struct SourceOptions {
  bool preview = false;      // the snapshot request with isPreview
  bool placeholder = false;  // the placeholder request
  bool sample = false;       // the built-in sample
  bool noData = false;       // an entry without data
  std::string snapshotFile;  // a given file, strictly decoded
};

struct EnvironmentOptions {
  std::optional<double> now;  // pins the clock: entry date and freshness
  std::string locale;         // ICU id; empty: from LC_ALL/LC_TIME/LANG
  std::string timeZone;       // IANA id; empty: from TZ or the system
};

void addSourceOptions(CLI::App& cmd, SourceOptions& source);
void addEnvironmentOptions(CLI::App& cmd, EnvironmentOptions& env);

// The clock the options pin, or the wall clock.
Clock clockFor(const EnvironmentOptions& options);

// The entry the chosen source yields. With no source option, the host's
// timeline request (the real file). Throws CommandFailure for a bad file.
Entry resolveEntry(const SourceOptions& source, const EnvironmentOptions& env);

// The environment for drawing `family`; throws CommandFailure for an unknown
// locale or time zone.
Environment resolveEnvironment(const EnvironmentOptions& options, WidgetFamily family, double scale);
// Whether the time zone is the person's choice (--timezone or TZ) rather
// than the system's, which a running host follows.
bool timeZonePinned(const EnvironmentOptions& options);

// The check of a --family option: the families' short names are the ones it
// lists as its values (in --help and to the shell completions), and the
// host's names ("systemSmall") are taken too; `alsoAll` adds "all".
CLI::Validator familyCheck(bool alsoAll);

// Parses a family name for the command line, or throws CommandFailure.
WidgetFamily parseFamily(const std::string& name);

// The families the widget declares: what `all` draws, and what a window can show.
std::vector<WidgetFamily> declaredFamilies();

}  // namespace corvane
