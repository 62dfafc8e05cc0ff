#pragma once
// The stand-in host's side of the timeline protocol: it asks a widget's
// provider for placeholder, snapshot and timeline entries exactly as a widget
// host does, checks that each completion is called once before the call
// returns, and turns entries into views with the widget's content function.

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

#include "platform/protocol/timeline.hpp"

namespace corvane {

template <class Config>
class HostRunner {
 public:
  using Entry = typename Config::EntryType;

  explicit HostRunner(const Config& config) : config_(config) {}

  Entry placeholder(const TimelineProviderContext& ctx) const { return config_.provider.placeholder(ctx); }

  Entry snapshot(const TimelineProviderContext& ctx) const {
    return once<Entry>([&](auto done) { config_.provider.getSnapshot(ctx, done); }, "getSnapshot");
  }

  Timeline<Entry> timeline(const TimelineProviderContext& ctx) const {
    return once<Timeline<Entry>>([&](auto done) { config_.provider.getTimeline(ctx, done); }, "getTimeline");
  }

  // Whether the widget offers this family; the host lists only these.
  bool offers(WidgetFamily family) const {
    return std::find(config_.families.begin(), config_.families.end(), family) != config_.families.end();
  }

  auto content(const Entry& entry) const { return config_.content(entry); }

 private:
  // Runs a request and returns what its completion delivered. A provider that
  // completes never or twice breaks the protocol, which is a programming error.
  template <class T, class Request>
  static T once(Request request, const char* name) {
    std::optional<T> got;
    int calls = 0;
    request([&](T value) {
      ++calls;
      got = std::move(value);
    });
    if (calls != 1) throw std::logic_error(std::string(name) + ": completion must be called exactly once");
    return std::move(*got);
  }

  const Config& config_;
};

}  // namespace corvane
