#pragma once
// The host's events as `--events` prints them: one JSON object per line on
// standard output, the same for the headless host and for the windows.

#include <optional>
#include <string>
#include <string_view>

#include "platform/live/widget_host.hpp"

namespace corvane {

// A listener that prints the host's own events when asked to; what it does
// with the pictures is its subclass's.
class EventPrintingListener : public HostListener {
 public:
  explicit EventPrintingListener(bool events) : events_(events) {}

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
  void drawn(Date now, WidgetFamily family, const LiveView& view) const;

 private:
  void event(const std::string& line) const;

  bool events_;
};

// One line of --events: {"event":NAME,"now":T}.
std::string hostEventLine(std::string_view name, Date now);

}  // namespace corvane
