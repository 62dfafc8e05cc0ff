#include "app/cli/entry_source.hpp"

#include "app/cli/data_commands.hpp"

#include <cstdlib>
#include "app/cli/exit_codes.hpp"
#include "app/cli/option_checks.hpp"
#include "data/store.hpp"
#include "platform/protocol/host_runner.hpp"
#include "platform/ui/text/time_format.hpp"
#include "widget/today_widget.hpp"

namespace corvane {

void addSourceOptions(CLI::App& cmd, SourceOptions& s) {
  auto* preview = cmd.add_flag("--preview", s.preview, "the snapshot request made for a preview (file, else sample)");
  auto* placeholder = cmd.add_flag("--placeholder", s.placeholder, "the placeholder request (the sample)");
  auto* snapshot = cmd.add_option("--snapshot", s.snapshotFile, "this snapshot file, strictly decoded (- for stdin)");
  auto* sample = cmd.add_flag("--sample", s.sample, "the built-in sample");
  auto* noData = cmd.add_flag("--no-data", s.noData, "an entry without data");
  std::vector<CLI::Option*> all{preview, placeholder, snapshot, sample, noData};
  for (auto* a : all)
    for (auto* b : all)
      if (a != b) a->excludes(b);
}

void addEnvironmentOptions(CLI::App& cmd, EnvironmentOptions& e) {
  cmd.add_option("--now", e.now,
                 "pin the clock to this time: seconds since 1970, or ISO 8601 such as 2026-12-09T14:30:00Z")
      ->transform(instantCheck());
  cmd.add_option("--locale", e.locale, "locale for times, e.g. en_US or de_DE (default: LC_ALL, LC_TIME, LANG)");
  cmd.add_option("--timezone", e.timeZone, "IANA time zone, e.g. Europe/Berlin (default: TZ, then the system's)");
}

Clock clockFor(const EnvironmentOptions& options) { return options.now ? fixedClock(Date{*options.now}) : wallClock(); }

Entry resolveEntry(const SourceOptions& s, const EnvironmentOptions& e) {
  const Clock clock = clockFor(e);
  if (!s.snapshotFile.empty()) return Entry{clock(), readSnapshotArgument(s.snapshotFile)};
  if (s.noData) return Entry{clock(), std::nullopt};
  // With a pinned clock the sample is built at that time, as it would be by a
  // process whose clock read that time on first use.
  SnapshotSource source = SnapshotSource::store();
  if (e.now) source.sample = [at = *e.now] { return Store::makeSample(at); };
  if (s.sample) return Entry{clock(), source.sample()};

  TodayConfiguration config = TodayWidget{}.body();
  config.provider = Provider(source, clock);
  HostRunner<TodayConfiguration> host(config);
  TimelineProviderContext ctx;
  ctx.isPreview = s.preview;
  if (s.placeholder) return host.placeholder(ctx);
  if (s.preview) return host.snapshot(ctx);
  return host.timeline(ctx).entries.front();
}

Environment resolveEnvironment(const EnvironmentOptions& options, WidgetFamily family, double scale) {
  Environment env;
  env.widgetFamily = family;
  env.clock = clockFor(options);
  env.displayScale = scale;
  std::string locale = options.locale.empty() ? localeFromEnvironment() : options.locale;
  auto canonical = canonicalLocale(locale);
  if (!canonical) throw CommandFailure(kExitUsage, "unknown locale: " + locale);
  // A locale the person names must be one there are words for; one from the
  // environment falls back to ICU's root data, as other programs do.
  if (!options.locale.empty() && !hasLocaleData(*canonical))
    throw CommandFailure(kExitUsage, "unknown locale: " + locale + " (a language and a country with data, such as " +
                                         "en_US, de_DE or pt_BR)");
  env.locale = *canonical;
  const std::string zone = options.timeZone.empty() ? timeZoneFromEnvironment() : options.timeZone;
  auto resolved = resolveTimeZone(zone);
  if (!resolved)
    throw CommandFailure(kExitUsage, "unknown time zone: " + zone +
                                         " (an IANA name such as Europe/Berlin, or a POSIX zone without daylight "
                                         "saving time such as UTC0 or JST-9)");
  env.timeZone = *resolved;
  return env;
}

bool timeZonePinned(const EnvironmentOptions& options) {
  const char* tz = std::getenv("TZ");
  return !options.timeZone.empty() || (tz && *tz);
}

std::vector<WidgetFamily> declaredFamilies() { return TodayWidget{}.body().families; }

CLI::Validator familyCheck(bool alsoAll) {
  std::string listed;
  for (WidgetFamily f : allFamilies()) listed += (listed.empty() ? "" : ",") + std::string(familyShortName(f));
  if (alsoAll) listed += ",all";
  return {[alsoAll](std::string& name) -> std::string {
            if ((alsoAll && name == "all") || familyFromName(name)) return {};
            return "unknown family: " + name;
          },
          "{" + listed + "}", "family"};
}

WidgetFamily parseFamily(const std::string& name) {
  auto f = familyFromName(name);
  if (!f) throw CommandFailure(kExitUsage, "unknown family: " + name);
  return *f;
}

}  // namespace corvane
