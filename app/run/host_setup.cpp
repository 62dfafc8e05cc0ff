#include "app/run/host_setup.hpp"

#include <cerrno>
#include <cstring>

#include "app/cli/exit_codes.hpp"
#include "data/store.hpp"
#include "platform/ui/text/time_format.hpp"
#include "support/fault.hpp"
#include "support/wall_clock.hpp"

namespace corvane {

HostClock hostClockFor(const EnvironmentOptions& env, double speed) {
  if (!env.now && speed == 1) return {};
  return {Date{env.now.value_or(wallClockNow())}, speed};
}

TodayConfiguration configurationFor(const std::string& snapshotFile, const EnvironmentOptions& env,
                                    const HostClock& clock, const std::shared_ptr<SnapshotVerdict>& verdict) {
  SnapshotSource snapshots = SnapshotSource::store();
  snapshots.load = [file = snapshotFile, verdict] {
    std::string why;
    auto snapshot = file.empty() ? Store::load(&why) : Store::loadFrom(file, &why);
    const std::string path = file.empty() ? Store::file().value_or(std::string()) : file;
    // No file is the empty state before the application first writes one:
    // nothing was rejected.
    if (why == std::strerror(ENOENT)) why.clear();
    if (verdict) verdict->set(why.empty() || path.empty() ? why : path + ": " + why);
    return snapshot;
  };
  if (env.now) snapshots.sample = [at = *env.now] { return Store::makeSample(at); };
  TodayConfiguration config = TodayWidget{}.body();
  config.provider = Provider(snapshots, clock.asClock());
  return config;
}

void serveUntilEnd(HostProcess& process, WidgetHost& host, const EventPrintingListener& output,
                   const std::string& snapshotFile, bool watch, const EnvironmentOptions& env,
                   const std::function<void()>& ready) {
  const auto faults = HostProcess::reportFaultsTo(
      [&output, &host](std::string_view where, std::string_view what) { output.fault(host.now(), where, what); });
  process.onReload([&host] { return host.requestReload(); });
  if (watch) watchSnapshot(process, snapshotFile);
  followSystemTimeZone(process, host, env);
  if (ready) ready();
  process.run([&host] { host.start(); });
}

void watchSnapshot(HostProcess& process, const std::string& snapshotFile) {
  std::string path = snapshotFile;
  if (path.empty()) {
    auto file = Store::file();
    if (!file) throw CommandFailure(kExitUsage, "--watch: the user database has no home directory for this user");
    path = *file;
  }
  try {
    process.watch(path);
  } catch (const std::runtime_error& e) {
    throw CommandFailure(kExitUsage, std::string("--watch: ") + e.what());
  }
}

void followSystemTimeZone(HostProcess& process, WidgetHost& host, const EnvironmentOptions& env,
                          const std::string& link) {
  if (timeZonePinned(env)) return;
  try {
    process.watch(
        link, [&host, link] { contained("the system's time zone", [&] { host.setTimeZone(systemTimeZone(link)); }); });
  } catch (const std::runtime_error&) {
    // A system without /etc cannot change its zone either.
  }
}

}  // namespace corvane
