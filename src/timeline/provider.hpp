#pragma once
// Answers the host's placeholder, snapshot and timeline requests from the
// snapshot file and the clock, one entry per request, reload after 300 s.

#include <functional>
#include <optional>

#include "data/records.hpp"
#include "platform/protocol/timeline.hpp"
#include "timeline/entry.hpp"

namespace corvane {

// Where the provider's snapshots come from: the store in production.
struct SnapshotSource {
  std::function<std::optional<Snapshot>()> load;
  std::function<Snapshot()> sample;

  static SnapshotSource store();
};

class Provider {
 public:
  using EntryType = Entry;
  static constexpr double kReloadInterval = 300.0;

  Provider();  // the store and the wall clock
  Provider(SnapshotSource source, Clock clock);

  Entry placeholder(const TimelineProviderContext& context) const;
  void getSnapshot(const TimelineProviderContext& context, const std::function<void(Entry)>& completion) const;
  void getTimeline(const TimelineProviderContext& context,
                   const std::function<void(Timeline<Entry>)>& completion) const;

 private:
  SnapshotSource source_;
  Clock clock_;
};

static_assert(TimelineProvider<Provider>);

}  // namespace corvane
