#pragma once
// What a running host asks of a widget, with the entry type erased: each
// entry becomes its date and a function that builds its view tree for an
// environment (the family is read from the environment at drawing time).

#include <functional>
#include <vector>

#include "platform/protocol/host_runner.hpp"
#include "platform/protocol/timeline.hpp"
#include "platform/ui/tree/node.hpp"

namespace corvane {

struct HostEntry {
  Date date;
  std::function<Node(const Environment&)> view;
};

struct HostTimeline {
  std::vector<HostEntry> entries;
  TimelineReloadPolicy policy;
};

struct WidgetSource {
  std::function<HostEntry(const TimelineProviderContext&)> placeholder;
  // An entry without data at a date: what a host shows when it has nothing
  // but its placeholder and the provider failed (none: the placeholder stays).
  std::function<HostEntry(Date)> withoutData;
  std::function<HostEntry(const TimelineProviderContext&)> snapshot;
  std::function<HostTimeline(const TimelineProviderContext&)> timeline;
};

// The source of a widget declaration: its provider, asked through the
// host's protocol checks, and its content function.
template <class Config>
WidgetSource widgetSourceFor(Config config) {
  auto shared = std::make_shared<const Config>(std::move(config));
  auto wrap = [shared](typename Config::EntryType entry) {
    Date date = entry.date;
    return HostEntry{date, [shared, entry = std::move(entry)](const Environment& env) {
                       return compose(shared->content(entry), env);
                     }};
  };
  WidgetSource source;
  source.placeholder = [shared, wrap](const TimelineProviderContext& ctx) {
    return wrap(HostRunner<Config>(*shared).placeholder(ctx));
  };
  source.withoutData = [wrap](Date date) { return wrap(typename Config::EntryType{date, {}}); };
  source.snapshot = [shared, wrap](const TimelineProviderContext& ctx) {
    return wrap(HostRunner<Config>(*shared).snapshot(ctx));
  };
  source.timeline = [shared, wrap](const TimelineProviderContext& ctx) {
    auto timeline = HostRunner<Config>(*shared).timeline(ctx);
    HostTimeline out{{}, timeline.policy};
    for (auto& e : timeline.entries) out.entries.push_back(wrap(std::move(e)));
    return out;
  };
  return source;
}

}  // namespace corvane
