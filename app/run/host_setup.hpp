#pragma once
// What a running host is made of, the same for the headless host and the
// windows: its clock and the widget's configuration reading the snapshot.

#include <functional>
#include <string>

#include "app/cli/entry_source.hpp"
#include "app/run/host_events.hpp"
#include "platform/host/widget_host.hpp"
#include "platform/process/host_process.hpp"
#include "platform/protocol/host_clock.hpp"
#include "widget/today_widget.hpp"

namespace corvane {

// The wall clock, or (with --now or --speed) one started at `env.now` and
// running `speed` (more than 0) times faster.
HostClock hostClockFor(const EnvironmentOptions& env, double speed);

// The widget's configuration, its provider reading `snapshotFile` (none: the
// user's) by the store's rules on `clock`; a pinned time also dates the
// sample that previews show.
// `verdict`, if given, is told at each read why the file gave no data.
TodayConfiguration configurationFor(const std::string& snapshotFile, const EnvironmentOptions& env,
                                    const HostClock& clock, const std::shared_ptr<SnapshotVerdict>& verdict = nullptr);

// Has `process` reload whenever the snapshot file changes: `snapshotFile`,
// or the user's. Throws CommandFailure (status 2) when it cannot be watched.
void watchSnapshot(HostProcess& process, const std::string& snapshotFile);

// What every run does around its host until the process ends, whatever its
// output: faults contained in the loop's callbacks become the output's
// events, reload requests and (with `watch`) changes of the snapshot file
// reach the host, and the system's time zone is followed. `ready` adds what
// the run's own output needs before the loop starts (the windows' commands
// and first windows).
void serveUntilEnd(HostProcess& process, WidgetHost& host, const EventPrintingListener& output,
                   const std::string& snapshotFile, bool watch, const EnvironmentOptions& env,
                   const std::function<void()>& ready = {});

// Unless the zone is pinned (--timezone, TZ), has `host` follow the
// system's time zone: /etc/localtime is replaced when it is set
// (timedatectl, a desktop's settings), and read again then.
void followSystemTimeZone(HostProcess& process, WidgetHost& host, const EnvironmentOptions& env,
                          const std::string& link = "/etc/localtime");

}  // namespace corvane
