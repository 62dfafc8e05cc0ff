#pragma once
// The host's events as `--events` prints them: one JSON object per line on
// standard output, the same for the headless host and for the windows.

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/host/widget_host.hpp"

namespace corvane {

// Why the snapshot file gave no data at its last read, if it did not: what
// `check` says of it ("FILE: PATH: RULE"). The widget shows no data without
// a word, as it must; --events and screen readers carry the reason for a
// person writing snapshots. Set where the file is read (off the main loop),
// read where the events are printed.
class SnapshotVerdict {
 public:
  void set(std::string reason) {
    const std::lock_guard lock(mutex_);
    reason_ = std::move(reason);
  }
  std::string reason() const {
    const std::lock_guard lock(mutex_);
    return reason_;
  }

 private:
  mutable std::mutex mutex_;
  std::string reason_;  // empty: the file was read and decoded
};

// A listener that prints the host's own events when asked to; what it does
// with the pictures is its subclass's.
class EventPrintingListener : public HostListener {
 public:
  explicit EventPrintingListener(bool events, std::shared_ptr<const SnapshotVerdict> verdict = nullptr)
      : events_(events), verdict_(std::move(verdict)) {}

  void placeholderShown(Date now) override;
  void snapshotReceived(Date now) override;
  void timelineReceived(Date now, const HostTimeline& timeline) override;
  void reloadRequested(Date now) override;
  void entryUnchanged(Date now) override;
  // A click or the menu opened the main application (`entry`), or could not (`reason`).
  void opened(Date now, const std::optional<std::string>& entry, std::string_view reason) const;
  // A fault contained in a callback: where, and what went wrong.
  void fault(Date now, std::string_view where, std::string_view what) const;

 protected:
  // A picture of `family` was produced (written, or painted in a window):
  // its freshness line as drawn, or null when the layout has none.
  void drawn(Date now, WidgetFamily family, const LiveLayout& layout) const;

 private:
  void event(const std::string& line) const;

  bool events_;

 protected:
  std::shared_ptr<const SnapshotVerdict> verdict_;  // none: not followed
};

// One line of --events: {"event":NAME,"now":T}.
std::string hostEventLine(std::string_view name, Date now);

}  // namespace corvane
