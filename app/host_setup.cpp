#include "app/host_setup.hpp"

#include "app/exit_codes.hpp"
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
                                    const HostClock& clock) {
  SnapshotSource snapshots = SnapshotSource::store();
  if (!snapshotFile.empty()) snapshots.load = [file = snapshotFile] { return Store::loadFrom(file); };
  if (env.now) snapshots.sample = [at = *env.now] { return Store::makeSample(at); };
  TodayConfiguration config = TodayWidget{}.body();
  config.provider = Provider(snapshots, clock.asClock());
  return config;
}

void watchSnapshot(LiveProcess& process, const std::string& snapshotFile) {
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

void followSystemTimeZone(LiveProcess& process, WidgetHost& host, const EnvironmentOptions& env,
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
