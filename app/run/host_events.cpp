#include "app/run/host_events.hpp"

#include <iostream>

#include "support/json_writer.hpp"
#include "views/header.hpp"

namespace corvane {

std::string hostEventLine(std::string_view name, Date now) {
  JsonWriter out;
  out.beginObject().key("event").string(name).key("now").real(now.sinceEpoch).endObject();
  return out.take();
}

void EventPrintingListener::event(const std::string& line) const {
  if (events_) std::cout << line << '\n' << std::flush;  // read line by line as it happens
}

void EventPrintingListener::placeholderShown(Date now) { event(hostEventLine("placeholder", now)); }

void EventPrintingListener::snapshotReceived(Date now) { event(hostEventLine("snapshot", now)); }

void EventPrintingListener::reloadRequested(Date now) { event(hostEventLine("reload-requested", now)); }

void EventPrintingListener::entryUnchanged(Date now) { event(hostEventLine("unchanged", now)); }

void EventPrintingListener::opened(Date now, const std::optional<std::string>& entry, std::string_view reason) const {
  if (!events_) return;
  JsonWriter out;
  out.beginObject().key("event").string("open").key("now").real(now.sinceEpoch).key("entry");
  if (entry) {
    out.string(*entry);
  } else {
    out.null().key("reason").string(reason);
  }
  out.endObject();
  event(out.take());
}

void EventPrintingListener::fault(Date now, std::string_view where, std::string_view what) const {
  if (!events_) return;
  JsonWriter out;
  out.beginObject().key("event").string("fault").key("now").real(now.sinceEpoch);
  out.key("where").string(where).key("message").string(what).endObject();
  event(out.take());
}

void EventPrintingListener::timelineReceived(Date now, const HostTimeline& timeline) {
  for (const HostEntry& e : timeline.entries) {
    JsonWriter out;
    out.beginObject().key("event").string("timeline").key("now").real(now.sinceEpoch);
    out.key("date").real(e.date.sinceEpoch);
    if (timeline.policy.kind == TimelineReloadPolicy::Kind::after)
      out.key("reloadAfter").real(timeline.policy.date.sinceEpoch);
    if (verdict_)
      if (std::string why = verdict_->reason(); !why.empty()) out.key("noData").string(why);
    out.endObject();
    event(out.take());
  }
}

void EventPrintingListener::drawn(Date now, WidgetFamily family, const LiveLayout& layout) const {
  if (!events_) return;
  JsonWriter out;
  out.beginObject().key("event").string("draw").key("now").real(now.sinceEpoch);
  out.key("family").string(familyShortName(family)).key("freshness");
  if (auto line = layout.textOfView(Updated::name))
    out.string(*line);
  else
    out.null();
  out.endObject();
  event(out.take());
}

}  // namespace corvane
